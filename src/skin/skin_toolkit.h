// The skin toolkit in one include: sheet cutting and window regions, pixel
// access, the hue shift, the skin description reader, placement, the program's
// resources.
#pragma once

#include "skin/cool_ini.h"
#include "skin/hue_shift.h"
#include "skin/placement.h"
#include "skin/quick_pixels.h"
#include "skin/skin_cells.h"
#include "skin/skin_resources.h"
