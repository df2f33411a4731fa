#pragma once

// The TWAIN 2.x structures, data groups, messages and return codes that the
// program and its data source manager exchange through DSM_Entry. Structures
// are packed to two bytes as TWAIN lays them out. Memory the manager hands
// out (capability containers, native images) is allocated with malloc and is
// released by the receiver with free.

#include <cstdint>

using TW_UINT16 = std::uint16_t;
using TW_UINT32 = std::uint32_t;
using TW_INT16 = std::int16_t;
using TW_INT32 = std::int32_t;
using TW_MEMREF = void*;
using TW_HANDLE = void*;
using TW_STR32 = char[34];

#pragma pack(push, 2)
struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};
struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};
struct TW_STATUS {
    TW_UINT16 ConditionCode;
    TW_UINT16 Data;
};
struct TW_CAPABILITY {
    TW_UINT16 Cap;
    TW_UINT16 ConType;
    TW_HANDLE hContainer;
};
struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};
struct TW_USERINTERFACE {
    TW_UINT16 ShowUI;
    TW_UINT16 ModalUI;
    TW_HANDLE hParent;
};
struct TW_EVENT {
    TW_MEMREF pEvent;
    TW_UINT16 TWMessage;
};
struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 EOJ;
};
struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};
struct TW_IMAGEINFO {
    TW_FIX32 XResolution;
    TW_FIX32 YResolution;
    TW_INT32 ImageWidth;
    TW_INT32 ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_UINT16 Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};
#pragma pack(pop)

static_assert(sizeof(TW_IDENTITY) == 156);

// The parent handed over with MSG_OPENDSM: the manager calls wake(window),
// from any thread, whenever it holds an event for the application; the
// application then offers its next message to MSG_PROCESSEVENT.
struct TW_PARENT {
    void* window;
    void (*wake)(void* window);
};

using DSMENTRYPROC = TW_UINT16 (*)(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                   TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data);

inline constexpr TW_UINT32 DG_CONTROL = 0x1, DG_IMAGE = 0x2;

inline constexpr TW_UINT16 DAT_CAPABILITY = 0x1, DAT_EVENT = 0x2, DAT_IDENTITY = 0x3,
                           DAT_PARENT = 0x4, DAT_PENDINGXFERS = 0x5, DAT_STATUS = 0x8,
                           DAT_USERINTERFACE = 0x9, DAT_IMAGEINFO = 0x101,
                           DAT_IMAGENATIVEXFER = 0x104;

inline constexpr TW_UINT16 MSG_GET = 0x1, MSG_GETCURRENT = 0x2, MSG_GETDEFAULT = 0x3,
                           MSG_GETFIRST = 0x4, MSG_GETNEXT = 0x5, MSG_SET = 0x6, MSG_RESET = 0x7,
                           MSG_XFERREADY = 0x101, MSG_CLOSEDSREQ = 0x102, MSG_OPENDSM = 0x301,
                           MSG_CLOSEDSM = 0x302, MSG_OPENDS = 0x401, MSG_CLOSEDS = 0x402,
                           MSG_USERSELECT = 0x403, MSG_DISABLEDS = 0x501, MSG_ENABLEDS = 0x502,
                           MSG_PROCESSEVENT = 0x601, MSG_ENDXFER = 0x701, MSG_NULL = 0;

inline constexpr TW_UINT16 TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_CHECKSTATUS = 2,
                           TWRC_CANCEL = 3, TWRC_DSEVENT = 4, TWRC_NOTDSEVENT = 5,
                           TWRC_XFERDONE = 6, TWRC_ENDOFLIST = 7;

inline constexpr TW_UINT16 TWCC_SUCCESS = 0, TWCC_BUMMER = 1, TWCC_LOWMEMORY = 2, TWCC_NODS = 3,
                           TWCC_OPERATIONERROR = 5, TWCC_BADCAP = 6, TWCC_BADPROTOCOL = 9,
                           TWCC_BADVALUE = 10, TWCC_SEQERROR = 11, TWCC_BADDEST = 12,
                           TWCC_DENIED = 16, TWCC_PAPERJAM = 20, TWCC_CHECKDEVICEONLINE = 23,
                           TWCC_INTERLOCK = 24, TWCC_NOMEDIA = 29;

inline constexpr TW_UINT16 CAP_XFERCOUNT = 0x1;
inline constexpr TW_UINT16 TWON_ONEVALUE = 5, TWON_DONTCARE16 = 0xFFFF;
inline constexpr TW_UINT16 TWTY_INT16 = 1, TWTY_UINT16 = 4;
inline constexpr TW_INT16 TWPT_BW = 0, TWPT_GRAY = 1, TWPT_RGB = 2;

// A source's identity names its SANE device: ProductFamily holds the device
// name ("test:0"), ProductName "vendor model (device)", Manufacturer the vendor.
