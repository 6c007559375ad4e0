// The BASS 2.2 family as the player sees it: bass.dll with its add-ons
// basswma.dll, basscd.dll and bassenc.dll. One header serves both sides: the
// DLLs define these functions, the program's loaders fetch them by name.
//
// Each DLL has one list of its entry points, in the order the loaders fetch
// them. X(name) receives the function's name; its type is decltype(&name).
// The lists also generate the DLLs' export tables, so a name cannot be
// exported without being fetched or the other way round.
//
// Conventions shared by every entry point:
// - handles are 32-bit and never reused within a process; 0 is no handle;
// - a failure sets the calling thread's error code (BASS_ErrorGetCode) and
//   answers 0 / FALSE / nullptr, or -1 (all bits set) for the functions of
//   TAVRIN_BASS_MINUS_ONE_FAILURES below;
// - the add-ons report their failures through bass.dll's error code: one code
//   for the whole family (see BASS_Internal_SetError);
// - nothing throws across the DLL boundary.
#pragma once

// ---------------------------------------------------------------------------
// The lists, in the order the loaders fetch them. They need nothing else, so
// a build step can expand them alone (with TAVRIN_BASS_LISTS_ONLY defined).

#define TAVRIN_BASS_ENTRY_POINTS(X)                                                       \
  X(BASS_SetConfig) X(BASS_GetConfig) X(BASS_GetVersion) X(BASS_GetDeviceDescription)    \
  X(BASS_ErrorGetCode) X(BASS_Init) X(BASS_SetDevice) X(BASS_GetDevice) X(BASS_Free)     \
  X(BASS_GetDSoundObject) X(BASS_GetInfo) X(BASS_Update) X(BASS_GetCPU) X(BASS_Start)    \
  X(BASS_Stop) X(BASS_Pause) X(BASS_SetVolume) X(BASS_GetVolume) X(BASS_PluginLoad)      \
  X(BASS_PluginFree) X(BASS_Set3DFactors) X(BASS_Get3DFactors) X(BASS_Set3DPosition)     \
  X(BASS_Get3DPosition) X(BASS_Apply3D) X(BASS_SetEAXParameters)                         \
  X(BASS_GetEAXParameters) X(BASS_MusicLoad) X(BASS_MusicFree) X(BASS_MusicSetAttribute) \
  X(BASS_MusicGetAttribute) X(BASS_MusicGetName) X(BASS_MusicGetOrders)                  \
  X(BASS_MusicGetOrderPosition) X(BASS_SampleLoad) X(BASS_SampleCreate)                  \
  X(BASS_SampleCreateDone) X(BASS_SampleFree) X(BASS_SampleGetInfo) X(BASS_SampleSetInfo) \
  X(BASS_SampleGetChannel) X(BASS_SampleStop) X(BASS_StreamCreate)                       \
  X(BASS_StreamCreateFile) X(BASS_StreamCreateURL) X(BASS_StreamCreateFileUser)          \
  X(BASS_StreamFree) X(BASS_StreamGetTags) X(BASS_StreamGetFilePosition)                 \
  X(BASS_RecordGetDeviceDescription) X(BASS_RecordInit) X(BASS_RecordSetDevice)          \
  X(BASS_RecordGetDevice) X(BASS_RecordFree) X(BASS_RecordGetInfo)                       \
  X(BASS_RecordGetInputName) X(BASS_RecordSetInput) X(BASS_RecordGetInput)               \
  X(BASS_RecordStart) X(BASS_ChannelBytes2Seconds) X(BASS_ChannelSeconds2Bytes)          \
  X(BASS_ChannelGetDevice) X(BASS_ChannelIsActive) X(BASS_ChannelGetInfo)                \
  X(BASS_ChannelSetFlags) X(BASS_ChannelPreBuf) X(BASS_ChannelPlay) X(BASS_ChannelStop)  \
  X(BASS_ChannelPause) X(BASS_ChannelSetAttributes) X(BASS_ChannelGetAttributes)         \
  X(BASS_ChannelSlideAttributes) X(BASS_ChannelIsSliding) X(BASS_ChannelSet3DAttributes) \
  X(BASS_ChannelGet3DAttributes) X(BASS_ChannelSet3DPosition)                            \
  X(BASS_ChannelGet3DPosition) X(BASS_ChannelGetLength) X(BASS_ChannelSetPosition)       \
  X(BASS_ChannelGetPosition) X(BASS_ChannelGetLevel) X(BASS_ChannelGetData)              \
  X(BASS_ChannelSetSync) X(BASS_ChannelRemoveSync) X(BASS_ChannelSetDSP)                 \
  X(BASS_ChannelRemoveDSP) X(BASS_ChannelSetEAXMix) X(BASS_ChannelGetEAXMix)             \
  X(BASS_ChannelSetLink) X(BASS_ChannelRemoveLink) X(BASS_ChannelSetFX)                  \
  X(BASS_ChannelRemoveFX) X(BASS_FXSetParameters) X(BASS_FXGetParameters)

#define TAVRIN_BASSWMA_ENTRY_POINTS(X)                                                    \
  X(BASS_WMA_StreamCreateFile) X(BASS_WMA_StreamCreateFileUser) X(BASS_WMA_GetIWMReader) \
  X(BASS_WMA_EncodeGetRates) X(BASS_WMA_EncodeOpen) X(BASS_WMA_EncodeOpenFile)           \
  X(BASS_WMA_EncodeOpenNetwork) X(BASS_WMA_EncodeOpenPublish) X(BASS_WMA_EncodeGetPort)  \
  X(BASS_WMA_EncodeSetNotify) X(BASS_WMA_EncodeGetClients) X(BASS_WMA_EncodeSetTag)      \
  X(BASS_WMA_EncodeWrite) X(BASS_WMA_EncodeClose)

#define TAVRIN_BASSCD_ENTRY_POINTS(X)                                                     \
  X(BASS_CD_GetDriveDescription) X(BASS_CD_GetDriveLetter) X(BASS_CD_GetInfo)            \
  X(BASS_CD_Door) X(BASS_CD_DoorIsOpen) X(BASS_CD_DoorIsLocked) X(BASS_CD_IsReady)       \
  X(BASS_CD_GetTracks) X(BASS_CD_GetTrackLength) X(BASS_CD_GetID) X(BASS_CD_Release)     \
  X(BASS_CD_StreamCreate) X(BASS_CD_StreamCreateFile) X(BASS_CD_StreamGetTrack)          \
  X(BASS_CD_StreamSetTrack) X(BASS_CD_Analog_Play) X(BASS_CD_Analog_PlayFile)            \
  X(BASS_CD_Analog_Stop) X(BASS_CD_Analog_IsActive) X(BASS_CD_Analog_GetPosition)

#define TAVRIN_BASSENC_ENTRY_POINTS(X)                                                    \
  X(BASS_Encode_Start) X(BASS_Encode_IsActive) X(BASS_Encode_Stop)                       \
  X(BASS_Encode_SetPaused) X(BASS_Encode_Write)

// bassenc.dll's export beyond the loaders' list, from the library's later
// versions: fetched by name where it helps and done without when missing.
#define TAVRIN_BASSENC_EXTRA_EXPORTS(X) X(BASS_Encode_GetCount)

// bass.dll's exports beyond its list, for the tests and for the add-ons:
// never fetched by the program's loaders.
#define TAVRIN_BASS_TEST_EXPORTS(X)                                              \
  X(BASS_Test_SetOutput) X(BASS_Test_AdvanceClock) X(BASS_Internal_SetError) \
  X(BASS_Internal_StreamCreateDecoder)

// The entry points that answer -1 (all bits set) on failure instead of 0.
#define TAVRIN_BASS_MINUS_ONE_FAILURES(X)                                                 \
  X(BASS_SetConfig) X(BASS_GetConfig) X(BASS_GetDevice) X(BASS_GetVolume)                \
  X(BASS_MusicGetAttribute) X(BASS_MusicGetOrders) X(BASS_MusicGetOrderPosition)         \
  X(BASS_StreamGetFilePosition) X(BASS_RecordGetDevice) X(BASS_RecordGetInput)           \
  X(BASS_ChannelBytes2Seconds) X(BASS_ChannelSeconds2Bytes) X(BASS_ChannelGetDevice)     \
  X(BASS_ChannelGetLength) X(BASS_ChannelGetPosition) X(BASS_ChannelGetLevel)            \
  X(BASS_ChannelGetData) X(BASS_WMA_EncodeGetClients) X(BASS_CD_GetDriveLetter)          \
  X(BASS_CD_GetTracks) X(BASS_CD_GetTrackLength) X(BASS_CD_StreamGetTrack)               \
  X(BASS_CD_Analog_PlayFile) X(BASS_CD_Analog_GetPosition)

#ifndef TAVRIN_BASS_LISTS_ONLY

#include <windows.h>

#include <cstdint>
#include <type_traits>

typedef uint64_t QWORD;
typedef DWORD HMUSIC;     // tracker module
typedef DWORD HSAMPLE;    // sample
typedef DWORD HCHANNEL;   // playing sample
typedef DWORD HSTREAM;    // sample stream
typedef DWORD HRECORD;    // recording
typedef DWORD HSYNC;      // synchroniser
typedef DWORD HDSP;       // DSP callback
typedef DWORD HFX;        // effect on a channel
typedef DWORD HPLUGIN;    // loaded add-on
typedef DWORD HWMENCODE;  // WMA encoder
typedef DWORD HENCODE;    // external or callback encoder

// ---------------------------------------------------------------------------
// Error codes (BASS_ErrorGetCode)
enum : int {
  BASS_OK = 0,
  BASS_ERROR_MEM = 1,        // memory error
  BASS_ERROR_FILEOPEN = 2,   // can't open the file
  BASS_ERROR_DRIVER = 3,     // can't find a free sound driver
  BASS_ERROR_BUFLOST = 4,    // the sample buffer was lost
  BASS_ERROR_HANDLE = 5,     // invalid handle
  BASS_ERROR_FORMAT = 6,     // unsupported sample format
  BASS_ERROR_POSITION = 7,   // invalid playback position
  BASS_ERROR_INIT = 8,       // BASS_Init has not been successfully called
  BASS_ERROR_START = 9,      // BASS_Start has not been successfully called
  BASS_ERROR_NOCD = 12,      // no CD in drive
  BASS_ERROR_CDTRACK = 13,   // invalid track number
  BASS_ERROR_ALREADY = 14,   // already initialized
  BASS_ERROR_NOPAUSE = 16,   // not paused
  BASS_ERROR_NOTAUDIO = 17,  // not an audio track
  BASS_ERROR_NOCHAN = 18,    // can't get a free channel
  BASS_ERROR_ILLTYPE = 19,   // an illegal type was specified
  BASS_ERROR_ILLPARAM = 20,  // an illegal parameter was specified
  BASS_ERROR_NO3D = 21,      // no 3D support
  BASS_ERROR_NOEAX = 22,     // no EAX support
  BASS_ERROR_DEVICE = 23,    // illegal device number
  BASS_ERROR_NOPLAY = 24,    // not playing
  BASS_ERROR_FREQ = 25,      // illegal sample rate
  BASS_ERROR_NOTFILE = 27,   // the stream is not a file stream
  BASS_ERROR_NOHW = 29,      // no hardware voices available
  BASS_ERROR_EMPTY = 31,     // the MOD music has no sequence data
  BASS_ERROR_NONET = 32,     // no internet connection could be opened
  BASS_ERROR_CREATE = 33,    // couldn't create the file
  BASS_ERROR_NOFX = 34,      // effects are not enabled
  BASS_ERROR_PLAYING = 35,   // the channel is playing
  BASS_ERROR_NOTAVAIL = 37,  // requested data is not available
  BASS_ERROR_DECODE = 38,    // the channel is a decoding channel
  BASS_ERROR_DX = 39,        // a sufficient DirectX version is not installed
  BASS_ERROR_TIMEOUT = 40,   // connection timed out
  BASS_ERROR_FILEFORM = 41,  // unsupported file format
  BASS_ERROR_SPEAKER = 42,   // unavailable speaker
  BASS_ERROR_UNKNOWN = -1,   // some other mystery error
};

// ---------------------------------------------------------------------------
// Configuration options (BASS_SetConfig / BASS_GetConfig)
enum : DWORD {
  BASS_CONFIG_BUFFER = 0,        // playback buffer length, ms
  BASS_CONFIG_UPDATEPERIOD = 1,  // buffer update period, ms
  BASS_CONFIG_MAXVOL = 3,
  BASS_CONFIG_GVOL_SAMPLE = 4,
  BASS_CONFIG_GVOL_STREAM = 5,   // global stream volume, 0..100
  BASS_CONFIG_GVOL_MUSIC = 6,    // global music volume, 0..100
  BASS_CONFIG_CURVE_VOL = 7,     // volume curve: 0 linear, 1 logarithmic
  BASS_CONFIG_CURVE_PAN = 8,
  BASS_CONFIG_FLOATDSP = 9,
  BASS_CONFIG_3DALGORITHM = 10,
  BASS_CONFIG_NET_TIMEOUT = 11,
  BASS_CONFIG_NET_BUFFER = 12,   // internet download buffer, ms
  BASS_CONFIG_PAUSE_NOPLAY = 13,
  BASS_CONFIG_NET_NOPROXY = 14,  // 1: connect without the proxy
  BASS_CONFIG_NET_PREBUF = 15,
  BASS_CONFIG_CD_FREEOLD = 0x10200,  // basscd: a new CD stream frees the drive's old one
};

// ---------------------------------------------------------------------------
// BASS_Init flags
enum : DWORD {
  BASS_DEVICE_8BITS = 1,
  BASS_DEVICE_MONO = 2,
  BASS_DEVICE_3D = 4,
  BASS_DEVICE_LATENCY = 0x100,
  BASS_DEVICE_SPEAKERS = 0x800,
  BASS_DEVICE_NOSPEAKER = 0x1000,
};

// DirectSound capability flags in BASS_INFO::flags
enum : DWORD {
  DSCAPS_CONTINUOUSRATE = 0x10,
  DSCAPS_EMULDRIVER = 0x20,
  DSCAPS_CERTIFIED = 0x40,
  DSCAPS_SECONDARYMONO = 0x100,
  DSCAPS_SECONDARYSTEREO = 0x200,
  DSCAPS_SECONDARY8BIT = 0x400,
  DSCAPS_SECONDARY16BIT = 0x800,
};

// ---------------------------------------------------------------------------
// Sample, stream and music flags
enum : DWORD {
  BASS_SAMPLE_8BITS = 1,
  BASS_SAMPLE_MONO = 2,
  BASS_SAMPLE_LOOP = 4,
  BASS_SAMPLE_3D = 8,
  BASS_SAMPLE_SOFTWARE = 0x10,
  BASS_SAMPLE_MUTEMAX = 0x20,
  BASS_SAMPLE_VAM = 0x40,
  BASS_SAMPLE_FX = 0x80,
  BASS_SAMPLE_FLOAT = 0x100,     // 32-bit floating-point samples
  BASS_SAMPLE_OVER_VOL = 0x10000,
  BASS_SAMPLE_OVER_POS = 0x20000,
  BASS_SAMPLE_OVER_DIST = 0x30000,

  BASS_STREAM_PRESCAN = 0x20000,   // scan the whole file for exact length and seeking
  BASS_STREAM_AUTOFREE = 0x40000,  // free the stream when it stops or ends
  BASS_STREAM_RESTRATE = 0x80000,
  BASS_STREAM_BLOCK = 0x100000,    // download in small blocks, no seeking (radio)
  BASS_STREAM_DECODE = 0x200000,   // decoding channel: data only via BASS_ChannelGetData
  BASS_STREAM_STATUS = 0x800000,

  BASS_MUSIC_FLOAT = BASS_SAMPLE_FLOAT,
  BASS_MUSIC_MONO = BASS_SAMPLE_MONO,
  BASS_MUSIC_LOOP = BASS_SAMPLE_LOOP,
  BASS_MUSIC_3D = BASS_SAMPLE_3D,
  BASS_MUSIC_FX = BASS_SAMPLE_FX,
  BASS_MUSIC_AUTOFREE = BASS_STREAM_AUTOFREE,
  BASS_MUSIC_DECODE = BASS_STREAM_DECODE,
  BASS_MUSIC_PRESCAN = BASS_STREAM_PRESCAN,  // also: compute the length
  BASS_MUSIC_CALCLEN = BASS_MUSIC_PRESCAN,
  BASS_MUSIC_RAMP = 0x200,
  BASS_MUSIC_RAMPS = 0x400,  // sensitive ramping
  BASS_MUSIC_SURROUND = 0x800,
  BASS_MUSIC_SURROUND2 = 0x1000,
  BASS_MUSIC_FT2MOD = 0x2000,
  BASS_MUSIC_PT1MOD = 0x4000,
  BASS_MUSIC_POSRESET = 0x8000,
  BASS_MUSIC_NONINTER = 0x10000,
  BASS_MUSIC_STOPBACK = 0x80000,
  BASS_MUSIC_NOSAMPLE = 0x100000,
  BASS_MUSIC_POSRESETEX = 0x400000,

  BASS_UNICODE = 0x80000000,  // the file name or command line is UTF-16
};

// Channel types in BASS_CHANNELINFO::ctype
enum : DWORD {
  BASS_CTYPE_SAMPLE = 1,
  BASS_CTYPE_RECORD = 2,
  BASS_CTYPE_STREAM = 0x10000,
  BASS_CTYPE_STREAM_OGG = 0x10002,
  BASS_CTYPE_STREAM_MP1 = 0x10003,
  BASS_CTYPE_STREAM_MP2 = 0x10004,
  BASS_CTYPE_STREAM_MP3 = 0x10005,
  BASS_CTYPE_STREAM_CD = 0x10200,
  BASS_CTYPE_STREAM_WMA = 0x10300,
  BASS_CTYPE_STREAM_WAV = 0x40000,  // flag: the low word is the WAVE format tag
  BASS_CTYPE_STREAM_WAV_PCM = 0x50001,
  BASS_CTYPE_STREAM_WAV_FLOAT = 0x50003,
  BASS_CTYPE_MUSIC_MOD = 0x20000,
  BASS_CTYPE_MUSIC_MTM = 0x20001,
  BASS_CTYPE_MUSIC_S3M = 0x20002,
  BASS_CTYPE_MUSIC_XM = 0x20003,
  BASS_CTYPE_MUSIC_IT = 0x20004,
  BASS_CTYPE_MUSIC_MO3 = 0x00100,  // flag
};

// BASS_ChannelIsActive and BASS_Encode_IsActive
enum : DWORD {
  BASS_ACTIVE_STOPPED = 0,
  BASS_ACTIVE_PLAYING = 1,
  BASS_ACTIVE_STALLED = 2,
  BASS_ACTIVE_PAUSED = 3,
};

// BASS_ChannelSetSync types; the three high bits modify the type
enum : DWORD {
  BASS_SYNC_POS = 0,
  BASS_SYNC_MUSICINST = 1,
  BASS_SYNC_END = 2,
  BASS_SYNC_MUSICFX = 3,
  BASS_SYNC_META = 4,       // new stream title (internet radio)
  BASS_SYNC_SLIDE = 5,
  BASS_SYNC_STALL = 6,
  BASS_SYNC_DOWNLOAD = 7,   // the internet file is completely downloaded
  BASS_SYNC_FREE = 8,
  BASS_SYNC_MUSICPOS = 10,
  BASS_SYNC_MESSAGE = 0x20000000,
  BASS_SYNC_MIXTIME = 0x40000000,
  BASS_SYNC_ONETIME = 0x80000000,
};

// BASS_ChannelGetData length flags
enum : DWORD {
  BASS_DATA_AVAILABLE = 0,
  BASS_DATA_FFT_INDIVIDUAL = 0x10,
  BASS_DATA_FFT_NOWINDOW = 0x20,
  BASS_DATA_FLOAT = 0x40000000,   // the samples as 32-bit floats
  BASS_DATA_FFT512 = 0x80000000,  // 256 magnitudes
  BASS_DATA_FFT1024 = 0x80000001, // 512 magnitudes
  BASS_DATA_FFT2048 = 0x80000002, // 1024 magnitudes
  BASS_DATA_FFT4096 = 0x80000003, // 2048 magnitudes
};

// BASS_StreamGetTags kinds; text kinds are zero-terminated strings ended by an empty one
enum : DWORD {
  BASS_TAG_ID3 = 0,    // ID3v1 image (128 bytes)
  BASS_TAG_ID3V2 = 1,  // ID3v2 image
  BASS_TAG_OGG = 2,    // Ogg comments
  BASS_TAG_HTTP = 3,   // HTTP headers
  BASS_TAG_ICY = 4,    // ICY headers
  BASS_TAG_META = 5,   // stream metadata
};

// BASS_StreamGetFilePosition modes
enum : DWORD {
  BASS_FILEPOS_DECODE = 0,
  BASS_FILEPOS_DOWNLOAD = 1,
  BASS_FILEPOS_END = 2,
};

// BASS_ChannelSetFX types
enum : DWORD {
  BASS_FX_CHORUS = 0,
  BASS_FX_COMPRESSOR = 1,
  BASS_FX_DISTORTION = 2,
  BASS_FX_ECHO = 3,
  BASS_FX_FLANGER = 4,
  BASS_FX_GARGLE = 5,
  BASS_FX_I3DL2REVERB = 6,
  BASS_FX_PARAMEQ = 7,
  BASS_FX_REVERB = 8,
};

// BASS_ChannelSet3DAttributes modes
enum : DWORD {
  BASS_3DMODE_NORMAL = 0,
  BASS_3DMODE_RELATIVE = 1,
  BASS_3DMODE_OFF = 2,
};

// basscd: BASS_CD_Door actions and BASS_CD_GetID kinds
enum : DWORD {
  BASS_CD_DOOR_CLOSE = 0,
  BASS_CD_DOOR_OPEN = 1,
  BASS_CD_DOOR_LOCK = 2,
  BASS_CD_DOOR_UNLOCK = 3,

  BASS_CDID_UPC = 1,
  BASS_CDID_CDDB = 2,
  BASS_CDID_CDDB2 = 3,
  BASS_CDID_TEXT = 4,  // CD-Text as "KEY=value" strings ended by an empty one
  BASS_CDID_CDPLAYER = 5,
  BASS_CDID_MUSICBRAINZ = 6,
};

// basswma
enum : DWORD {
  BASS_WMA_ENCODE_TAGS = 0x10000,   // BASS_WMA_EncodeOpen*: tags may follow
  BASS_WMA_ENCODE_SCRIPT = 0x20000,
  BASS_WMA_ENCODE_RATES_VBR = 0x10000,  // BASS_WMA_EncodeGetRates: VBR qualities
};

// bassenc: BASS_Encode_Start flags
enum : DWORD {
  BASS_ENCODE_NOHEAD = 1,   // send no WAV header to the encoder
  BASS_ENCODE_FP_8BIT = 2,
  BASS_ENCODE_FP_16BIT = 4,
  BASS_ENCODE_FP_24BIT = 6,
  BASS_ENCODE_FP_32BIT = 8,
  BASS_ENCODE_BIGEND = 16,
  BASS_ENCODE_PAUSE = 32,
  BASS_ENCODE_AUTOFREE = 0x40000,
};
// bassenc: BASS_Encode_GetCount counts
enum : DWORD {
  BASS_ENCODE_COUNT_QUEUE = 3,        // bytes waiting for the encoder
  BASS_ENCODE_COUNT_QUEUE_LIMIT = 4,  // the most that may wait before a feed blocks
};

// ---------------------------------------------------------------------------
// Records

struct BASS_INFO {
  DWORD flags;        // DSCAPS_ flags of the device
  DWORD hwsize;       // hardware memory, bytes
  DWORD hwfree;       // free hardware memory, bytes
  DWORD freesam;      // free hardware sample slots
  DWORD free3d;       // free hardware 3D sample slots
  DWORD minrate;      // lowest sample rate, Hz
  DWORD maxrate;      // highest sample rate, Hz
  BOOL eax;           // EAX support
  DWORD minbuf;       // recommended minimum buffer, ms (BASS_DEVICE_LATENCY)
  DWORD dsver;        // DirectSound version: 8 or more for effects, 9 for float output
  DWORD latency;      // delay before playback starts, ms (BASS_DEVICE_LATENCY)
  DWORD initflags;    // the flags given to BASS_Init
  DWORD speakers;     // number of speakers
  const char* driver; // driver name
};

struct BASS_RECORDINFO {
  DWORD flags;        // DSCCAPS_ flags
  DWORD formats;      // WAVE_FORMAT_ flags
  DWORD inputs;       // number of inputs
  BOOL singlein;      // only one input can be active at a time
  const char* driver;
};

struct BASS_SAMPLE {
  DWORD freq;
  DWORD volume;       // 0..100
  int pan;            // -100..100
  DWORD flags;
  DWORD length;       // bytes
  DWORD max;          // simultaneous playbacks
  DWORD origres;      // original resolution, bits
  DWORD chans;
  DWORD mode3d;
  float mindist;
  float maxdist;
  DWORD iangle;
  DWORD oangle;
  DWORD outvol;
  DWORD vam;
  DWORD priority;
};

struct BASS_CHANNELINFO {
  DWORD freq;         // default sample rate, Hz
  DWORD chans;        // channel count
  DWORD flags;        // BASS_SAMPLE_, BASS_STREAM_ and BASS_MUSIC_ flags
  DWORD ctype;        // BASS_CTYPE_
  DWORD origres;      // original resolution, bits
  HPLUGIN plugin;     // the add-on that decodes it, 0 for built-in formats
};

struct BASS_3DVECTOR {
  float x;  // +right -left
  float y;  // +up -down
  float z;  // +front -behind
};

// Effect parameters (the DirectX 8 records)
struct BASS_FXPARAMEQ {
  float fCenter;     // centre frequency, Hz (80..16000)
  float fBandwidth;  // semitones (1..36)
  float fGain;       // dB (-15..15)
};

struct BASS_FXECHO {
  float fWetDryMix;  // 0..100
  float fFeedback;   // 0..100
  float fLeftDelay;  // ms, 1..2000
  float fRightDelay; // ms, 1..2000
  BOOL lPanDelay;    // swap left and right delays per echo
};

struct BASS_FXREVERB {
  float fInGain;           // dB, -96..0
  float fReverbMix;        // dB, -96..0
  float fReverbTime;       // ms, 0.001..3000
  float fHighFreqRTRatio;  // 0.001..0.999
};

struct BASS_CD_INFO {
  DWORD flags;     // reading capabilities
  DWORD cache;     // drive cache, KB
  DWORD maxspeed;  // bytes per second
  BOOL cdtext;     // the drive reads CD-Text
};

// ---------------------------------------------------------------------------
// Callbacks. They run on the library's own threads; user is the value given
// when the callback was set.

// A sync: data depends on the sync type (the metadata text for BASS_SYNC_META).
typedef void(CALLBACK SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, void* user);
// A DSP: may change the buffer's samples in place.
typedef void(CALLBACK DSPPROC)(HDSP handle, DWORD channel, void* buffer, DWORD length,
                               void* user);
// A user stream: writes up to length bytes; the result is the byte count, with
// BASS_STREAMPROC_END set at the end.
typedef DWORD(CALLBACK STREAMPROC)(HSTREAM handle, void* buffer, DWORD length, void* user);
enum : DWORD { BASS_STREAMPROC_END = 0x80000000 };
// A user file: BASS_FILE_ actions.
typedef DWORD(CALLBACK STREAMFILEPROC)(DWORD action, DWORD param1, DWORD param2,
                                       void* user);
enum : DWORD {
  BASS_FILE_CLOSE = 0,
  BASS_FILE_READ = 1,
  BASS_FILE_LEN = 3,
  BASS_FILE_SEEK = 4,
};
// Internet download: each block as it arrives; buffer nullptr when done.
typedef void(CALLBACK DOWNLOADPROC)(const void* buffer, DWORD length, void* user);
// Recording: FALSE ends the recording.
typedef BOOL(CALLBACK RECORDPROC)(HRECORD handle, const void* buffer, DWORD length,
                                  void* user);
// basswma: encoded data for BASS_WMA_EncodeOpen; a client connecting or leaving.
typedef void(CALLBACK WMENCODEPROC)(HWMENCODE handle, DWORD type, const void* buffer,
                                    DWORD length, void* user);
typedef void(CALLBACK CLIENTPROC)(HWMENCODE handle, BOOL connect, const char* ip,
                                  void* user);
// bassenc: encoded data, when no command line is given.
typedef void(CALLBACK ENCODEPROC)(HENCODE handle, DWORD channel, const void* buffer,
                                  DWORD length, void* user);

// ---------------------------------------------------------------------------
// bass.dll

extern "C" {
// Set-up and configuration
DWORD WINAPI BASS_SetConfig(DWORD option, DWORD value);  // the value set, or -1
DWORD WINAPI BASS_GetConfig(DWORD option);                // -1 on failure
DWORD WINAPI BASS_GetVersion();                           // 0x20002: low word major
const char* WINAPI BASS_GetDeviceDescription(DWORD device);  // nullptr after the last
int WINAPI BASS_ErrorGetCode();
BOOL WINAPI BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const GUID* dsguid);
BOOL WINAPI BASS_SetDevice(DWORD device);
DWORD WINAPI BASS_GetDevice();  // -1 before BASS_Init
BOOL WINAPI BASS_Free();
void* WINAPI BASS_GetDSoundObject(DWORD object);
BOOL WINAPI BASS_GetInfo(BASS_INFO* info);
BOOL WINAPI BASS_Update();
float WINAPI BASS_GetCPU();
BOOL WINAPI BASS_Start();
BOOL WINAPI BASS_Stop();
BOOL WINAPI BASS_Pause();
BOOL WINAPI BASS_SetVolume(DWORD volume);  // 0..100
DWORD WINAPI BASS_GetVolume();             // -1 on failure
HPLUGIN WINAPI BASS_PluginLoad(const char* file);
BOOL WINAPI BASS_PluginFree(HPLUGIN handle);  // 0 frees every add-on

// 3D and EAX
BOOL WINAPI BASS_Set3DFactors(float distf, float rollf, float doppf);
BOOL WINAPI BASS_Get3DFactors(float* distf, float* rollf, float* doppf);
BOOL WINAPI BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel,
                               const BASS_3DVECTOR* front, const BASS_3DVECTOR* top);
BOOL WINAPI BASS_Get3DPosition(BASS_3DVECTOR* pos, BASS_3DVECTOR* vel, BASS_3DVECTOR* front,
                               BASS_3DVECTOR* top);
void WINAPI BASS_Apply3D();
BOOL WINAPI BASS_SetEAXParameters(int env, float vol, float decay, float damp);
BOOL WINAPI BASS_GetEAXParameters(DWORD* env, float* vol, float* decay, float* damp);

// Tracker modules. file is a UTF-16 name with BASS_UNICODE, else 8-bit; with
// mem it is the module's bytes.
HMUSIC WINAPI BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length,
                             DWORD flags, DWORD freq);
BOOL WINAPI BASS_MusicFree(HMUSIC handle);
BOOL WINAPI BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value);
DWORD WINAPI BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib);  // -1 on failure
const char* WINAPI BASS_MusicGetName(HMUSIC handle);
DWORD WINAPI BASS_MusicGetOrders(HMUSIC handle);         // -1 on failure
DWORD WINAPI BASS_MusicGetOrderPosition(HMUSIC handle);  // -1 on failure

// Samples
HSAMPLE WINAPI BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length,
                               DWORD max, DWORD flags);
void* WINAPI BASS_SampleCreate(DWORD length, DWORD freq, DWORD chans, DWORD max, DWORD flags);
HSAMPLE WINAPI BASS_SampleCreateDone();
BOOL WINAPI BASS_SampleFree(HSAMPLE handle);
BOOL WINAPI BASS_SampleGetInfo(HSAMPLE handle, BASS_SAMPLE* info);
BOOL WINAPI BASS_SampleSetInfo(HSAMPLE handle, const BASS_SAMPLE* info);
HCHANNEL WINAPI BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew);
BOOL WINAPI BASS_SampleStop(HSAMPLE handle);

// Streams
HSTREAM WINAPI BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc,
                                 void* user);
// file: as BASS_MusicLoad; length 0 is "to the end".
HSTREAM WINAPI BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                     DWORD flags);
HSTREAM WINAPI BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags,
                                    DOWNLOADPROC* proc, void* user);
HSTREAM WINAPI BASS_StreamCreateFileUser(BOOL buffered, DWORD flags, STREAMFILEPROC* proc,
                                         void* user);
BOOL WINAPI BASS_StreamFree(HSTREAM handle);
const char* WINAPI BASS_StreamGetTags(HSTREAM handle, DWORD tags);  // nullptr when absent
DWORD WINAPI BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);  // -1 on failure

// Recording
const char* WINAPI BASS_RecordGetDeviceDescription(DWORD device);
BOOL WINAPI BASS_RecordInit(int device);
BOOL WINAPI BASS_RecordSetDevice(DWORD device);
DWORD WINAPI BASS_RecordGetDevice();  // -1 on failure
BOOL WINAPI BASS_RecordFree();
BOOL WINAPI BASS_RecordGetInfo(BASS_RECORDINFO* info);
const char* WINAPI BASS_RecordGetInputName(int input);
BOOL WINAPI BASS_RecordSetInput(int input, DWORD setting);
DWORD WINAPI BASS_RecordGetInput(int input);  // -1 on failure
HRECORD WINAPI BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC* proc,
                                void* user);

// Channels: a stream, a module, a sample's channel or a recording
float WINAPI BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);  // negative on failure
QWORD WINAPI BASS_ChannelSeconds2Bytes(DWORD handle, float pos);  // -1 on failure
DWORD WINAPI BASS_ChannelGetDevice(DWORD handle);                 // -1 on failure
DWORD WINAPI BASS_ChannelIsActive(DWORD handle);                  // BASS_ACTIVE_
BOOL WINAPI BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
BOOL WINAPI BASS_ChannelSetFlags(DWORD handle, DWORD flags);
BOOL WINAPI BASS_ChannelPreBuf(DWORD handle, DWORD length);
BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL WINAPI BASS_ChannelStop(DWORD handle);
BOOL WINAPI BASS_ChannelPause(DWORD handle);
// freq: Hz, 0 the original, -1 unchanged; volume 0..100, -1 unchanged;
// pan -100..100, -101 unchanged.
BOOL WINAPI BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BOOL WINAPI BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan);
BOOL WINAPI BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan,
                                        DWORD time);
DWORD WINAPI BASS_ChannelIsSliding(DWORD handle);  // bits 1 freq, 2 volume, 4 pan
BOOL WINAPI BASS_ChannelSet3DAttributes(DWORD handle, int mode, float min, float max,
                                        int iangle, int oangle, int outvol);
BOOL WINAPI BASS_ChannelGet3DAttributes(DWORD handle, DWORD* mode, float* min, float* max,
                                        DWORD* iangle, DWORD* oangle, DWORD* outvol);
BOOL WINAPI BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos,
                                      const BASS_3DVECTOR* orient, const BASS_3DVECTOR* vel);
BOOL WINAPI BASS_ChannelGet3DPosition(DWORD handle, BASS_3DVECTOR* pos, BASS_3DVECTOR* orient,
                                      BASS_3DVECTOR* vel);
QWORD WINAPI BASS_ChannelGetLength(DWORD handle);  // bytes, -1 on failure
BOOL WINAPI BASS_ChannelSetPosition(DWORD handle, QWORD pos);
QWORD WINAPI BASS_ChannelGetPosition(DWORD handle);  // bytes, -1 on failure
DWORD WINAPI BASS_ChannelGetLevel(DWORD handle);  // left in the low word; -1 on failure
// length: bytes, or BASS_DATA_ flags; the result is the byte count, -1 on failure.
DWORD WINAPI BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
HSYNC WINAPI BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc,
                                 void* user);
BOOL WINAPI BASS_ChannelRemoveSync(DWORD handle, HSYNC sync);
HDSP WINAPI BASS_ChannelSetDSP(DWORD handle, DSPPROC* proc, void* user, int priority);
BOOL WINAPI BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp);
BOOL WINAPI BASS_ChannelSetEAXMix(DWORD handle, float mix);
BOOL WINAPI BASS_ChannelGetEAXMix(DWORD handle, float* mix);
BOOL WINAPI BASS_ChannelSetLink(DWORD handle, DWORD chan);
BOOL WINAPI BASS_ChannelRemoveLink(DWORD handle, DWORD chan);
HFX WINAPI BASS_ChannelSetFX(DWORD handle, DWORD type, int priority);
BOOL WINAPI BASS_ChannelRemoveFX(DWORD handle, HFX fx);
// par: the BASS_FX record of the effect's type.
BOOL WINAPI BASS_FXSetParameters(HFX handle, const void* par);
BOOL WINAPI BASS_FXGetParameters(HFX handle, void* par);

// Extra exports of bass.dll, outside the 94 names the loaders fetch.
// The add-ons' failures are reported through bass.dll's per-thread error code:
// an add-on looks this export up in the loaded bass.dll at each failure and
// keeps a code of its own only when bass.dll is not loaded.
void WINAPI BASS_Internal_SetError(int code);

// A decoder that lives in an add-on (basswma.dll) and plays through a channel
// of bass.dll, so that the add-on's streams share bass.dll's handles, mixer
// and every BASS_Channel* call. The add-on fills the record and calls
// BASS_Internal_StreamCreateDecoder, looked up in the loaded bass.dll when it
// creates a stream. The callbacks run on bass.dll's threads under the
// channel's lock, one at a time, and must not throw.
struct BASS_INTERNAL_DECODER {
  DWORD freq;      // Hz
  DWORD chans;     // 1..32
  DWORD origres;   // bits per sample of the source; 0 for compressed audio
  DWORD ctype;     // BASS_CTYPE_
  QWORD length;    // in frames; -1 when unknown
  QWORD filesize;  // in bytes; -1 when there is no file
  // Writes up to frames interleaved float frames; fewer means the end.
  DWORD(CALLBACK* read)(void* user, float* buffer, DWORD frames);
  // FALSE when the decoder cannot move to that frame.
  BOOL(CALLBACK* seek)(void* user, QWORD frame);
  // The byte offset in the file of the next data to decode.
  QWORD(CALLBACK* filepos)(void* user);
  // The tag block of a kind (BASS_TAG_), in BASS_StreamGetTags' form and
  // with its size in bytes, or nullptr. Read once, while the stream is made.
  const char*(CALLBACK* tags)(void* user, DWORD kind, DWORD* bytes);
  // Releases user; called exactly once, also when the creation fails.
  void(CALLBACK* free)(void* user);
};
// flags: the BASS_StreamCreateFile flags that apply (sample format, decode,
// auto-free, loop). bass.dll keeps the add-on's module loaded while the
// stream lives, so unloading the add-on first cannot leave dangling callbacks.
HSTREAM WINAPI BASS_Internal_StreamCreateDecoder(const BASS_INTERNAL_DECODER* decoder, void* user,
                                                 DWORD flags);
}  // extern "C"

// Test hooks, read only by the stand-in; defined by the core.
#include "bass/bass_test_hooks.h"

// ---------------------------------------------------------------------------
// basswma.dll

extern "C" {
// file: as BASS_StreamCreateFile; also an "mms://" or "http://" URL.
HSTREAM WINAPI BASS_WMA_StreamCreateFile(BOOL mem, const void* file, QWORD offset,
                                         QWORD length, DWORD flags);
HSTREAM WINAPI BASS_WMA_StreamCreateFileUser(BOOL buffered, DWORD flags,
                                             STREAMFILEPROC* proc, void* user);
void* WINAPI BASS_WMA_GetIWMReader(HSTREAM handle);
// The bit rates (or, with BASS_WMA_ENCODE_RATES_VBR, the qualities) the
// encoder offers, ended by 0; nullptr when there are none.
const DWORD* WINAPI BASS_WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags);
HWMENCODE WINAPI BASS_WMA_EncodeOpen(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                     WMENCODEPROC* proc, void* user);
// file: UTF-16 with BASS_UNICODE, else 8-bit.
HWMENCODE WINAPI BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                         const void* file);
HWMENCODE WINAPI BASS_WMA_EncodeOpenNetwork(DWORD freq, DWORD chans, DWORD flags,
                                            DWORD bitrate, DWORD port, DWORD clients);
HWMENCODE WINAPI BASS_WMA_EncodeOpenPublish(DWORD freq, DWORD chans, DWORD flags,
                                            DWORD bitrate, const char* url,
                                            const char* user, const char* pass);
DWORD WINAPI BASS_WMA_EncodeGetPort(HWMENCODE handle);  // 0 on failure
BOOL WINAPI BASS_WMA_EncodeSetNotify(HWMENCODE handle, CLIENTPROC* proc, void* user);
DWORD WINAPI BASS_WMA_EncodeGetClients(HWMENCODE handle);  // -1 on failure
BOOL WINAPI BASS_WMA_EncodeSetTag(HWMENCODE handle, const char* tag, const char* text);
// buffer: 16-bit samples, or 32-bit floats when the encoder was opened with BASS_SAMPLE_FLOAT.
BOOL WINAPI BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length);
BOOL WINAPI BASS_WMA_EncodeClose(HWMENCODE handle);
}  // extern "C"

// ---------------------------------------------------------------------------
// basscd.dll. Drives are numbered from 0, tracks from 0.

extern "C" {
const char* WINAPI BASS_CD_GetDriveDescription(DWORD drive);  // nullptr after the last
DWORD WINAPI BASS_CD_GetDriveLetter(DWORD drive);  // 0 = A; -1 on failure
BOOL WINAPI BASS_CD_GetInfo(DWORD drive, BASS_CD_INFO* info);
BOOL WINAPI BASS_CD_Door(DWORD drive, DWORD action);  // BASS_CD_DOOR_
BOOL WINAPI BASS_CD_DoorIsOpen(DWORD drive);
BOOL WINAPI BASS_CD_DoorIsLocked(DWORD drive);
BOOL WINAPI BASS_CD_IsReady(DWORD drive);
DWORD WINAPI BASS_CD_GetTracks(DWORD drive);                     // -1: no disc or no drive
DWORD WINAPI BASS_CD_GetTrackLength(DWORD drive, DWORD track);   // bytes, -1 on failure
const char* WINAPI BASS_CD_GetID(DWORD drive, DWORD id);         // BASS_CDID_
BOOL WINAPI BASS_CD_Release(DWORD drive);
HSTREAM WINAPI BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags);
// file: a ".cda" name, UTF-16 with BASS_UNICODE.
HSTREAM WINAPI BASS_CD_StreamCreateFile(const void* file, DWORD flags);
DWORD WINAPI BASS_CD_StreamGetTrack(HSTREAM handle);  // track | drive << 16; -1 on failure
BOOL WINAPI BASS_CD_StreamSetTrack(HSTREAM handle, DWORD track);
BOOL WINAPI BASS_CD_Analog_Play(DWORD drive, DWORD track, DWORD pos);
DWORD WINAPI BASS_CD_Analog_PlayFile(const void* file, DWORD pos);  // the drive; -1 on failure
BOOL WINAPI BASS_CD_Analog_Stop(DWORD drive);
DWORD WINAPI BASS_CD_Analog_IsActive(DWORD drive);      // BASS_ACTIVE_
DWORD WINAPI BASS_CD_Analog_GetPosition(DWORD drive);   // -1 on failure
}  // extern "C"

// ---------------------------------------------------------------------------
// bassenc.dll

extern "C" {
// Starts encoding a channel: cmdline names an encoder program that reads the
// WAV data from its standard input (UTF-16 with BASS_UNICODE), or, when it is
// nullptr, proc receives the data. The data flows as it is fetched from or
// played by the channel.
HENCODE WINAPI BASS_Encode_Start(DWORD handle, const void* cmdline, DWORD flags,
                                 ENCODEPROC* proc, void* user);
DWORD WINAPI BASS_Encode_IsActive(DWORD handle);  // BASS_ACTIVE_; handle: encoder or channel
BOOL WINAPI BASS_Encode_Stop(DWORD handle);
BOOL WINAPI BASS_Encode_SetPaused(DWORD handle, BOOL paused);
BOOL WINAPI BASS_Encode_Write(DWORD handle, const void* buffer, DWORD length);
// -1 on failure.
QWORD WINAPI BASS_Encode_GetCount(DWORD handle, DWORD count);
}  // extern "C"

namespace tavrin_bass_detail {
#define TAVRIN_BASS_COUNT_ONE(name) +1
inline constexpr int kBassCount = 0 TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_COUNT_ONE);
inline constexpr int kBassWmaCount = 0 TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_BASS_COUNT_ONE);
inline constexpr int kBassCdCount = 0 TAVRIN_BASSCD_ENTRY_POINTS(TAVRIN_BASS_COUNT_ONE);
inline constexpr int kBassEncCount = 0 TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_BASS_COUNT_ONE);
#undef TAVRIN_BASS_COUNT_ONE
// Every listed name has a prototype above.
#define TAVRIN_BASS_DECLARED(name) \
  static_assert(std::is_function_v<std::remove_pointer_t<decltype(&name)>>, #name);
TAVRIN_BASS_ENTRY_POINTS(TAVRIN_BASS_DECLARED)
TAVRIN_BASSWMA_ENTRY_POINTS(TAVRIN_BASS_DECLARED)
TAVRIN_BASSCD_ENTRY_POINTS(TAVRIN_BASS_DECLARED)
TAVRIN_BASSENC_ENTRY_POINTS(TAVRIN_BASS_DECLARED)
TAVRIN_BASS_TEST_EXPORTS(TAVRIN_BASS_DECLARED)
TAVRIN_BASSENC_EXTRA_EXPORTS(TAVRIN_BASS_DECLARED)
#undef TAVRIN_BASS_DECLARED
static_assert(kBassCount == 94, "bass.dll offers 94 entry points");
static_assert(kBassWmaCount == 14, "basswma.dll offers 14 entry points");
static_assert(kBassCdCount == 20, "basscd.dll offers 20 entry points");
static_assert(kBassEncCount == 5, "bassenc.dll offers 5 entry points");
}  // namespace tavrin_bass_detail

#endif  // TAVRIN_BASS_LISTS_ONLY
