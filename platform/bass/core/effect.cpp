#include "bass/core/effect.h"

#include "bass/bass_api.h"
#include "bass/core/echo.h"
#include "bass/core/param_eq.h"
#include "bass/core/reverb.h"

namespace bass_core {

std::unique_ptr<Effect> MakeEffect(uint32_t type, uint32_t rate, uint32_t channels) {
  switch (type) {
    case BASS_FX_PARAMEQ: return std::make_unique<ParamEq>(rate, channels);
    case BASS_FX_ECHO: return std::make_unique<Echo>(rate, channels);
    case BASS_FX_REVERB: return std::make_unique<Reverb>(rate, channels);
    default: return nullptr;
  }
}

}  // namespace bass_core
