#include "port/reader/windows_constants.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace dlgforge::port {
namespace {

struct NumericConstant {
  std::string_view name;
  std::uint32_t value;
};

// Values as Microsoft documents them for the Windows SDK headers.
constexpr NumericConstant kNumeric[] = {
    // Command ids (winuser.h, winres.h, afxres.h).
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
    {"IDCLOSE", 8},
    {"IDHELP", 9},
    {"IDTRYAGAIN", 10},
    {"IDCONTINUE", 11},
    {"IDC_STATIC", 0xFFFFFFFF},
    {"TRUE", 1},
    {"FALSE", 0},
    // Virtual-key codes (winuser.h), the keys of accelerators.
    {"VK_LBUTTON", 0x1},
    {"VK_RBUTTON", 0x2},
    {"VK_CANCEL", 0x3},
    {"VK_MBUTTON", 0x4},
    {"VK_BACK", 0x8},
    {"VK_TAB", 0x9},
    {"VK_CLEAR", 0xC},
    {"VK_RETURN", 0xD},
    {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},
    {"VK_PAUSE", 0x13},
    {"VK_CAPITAL", 0x14},
    {"VK_ESCAPE", 0x1B},
    {"VK_SPACE", 0x20},
    {"VK_PRIOR", 0x21},
    {"VK_NEXT", 0x22},
    {"VK_END", 0x23},
    {"VK_HOME", 0x24},
    {"VK_LEFT", 0x25},
    {"VK_UP", 0x26},
    {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},
    {"VK_SELECT", 0x29},
    {"VK_PRINT", 0x2A},
    {"VK_EXECUTE", 0x2B},
    {"VK_SNAPSHOT", 0x2C},
    {"VK_INSERT", 0x2D},
    {"VK_DELETE", 0x2E},
    {"VK_HELP", 0x2F},
    {"VK_LWIN", 0x5B},
    {"VK_RWIN", 0x5C},
    {"VK_APPS", 0x5D},
    {"VK_SLEEP", 0x5F},
    {"VK_NUMPAD0", 0x60},
    {"VK_NUMPAD1", 0x61},
    {"VK_NUMPAD2", 0x62},
    {"VK_NUMPAD3", 0x63},
    {"VK_NUMPAD4", 0x64},
    {"VK_NUMPAD5", 0x65},
    {"VK_NUMPAD6", 0x66},
    {"VK_NUMPAD7", 0x67},
    {"VK_NUMPAD8", 0x68},
    {"VK_NUMPAD9", 0x69},
    {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},
    {"VK_SEPARATOR", 0x6C},
    {"VK_SUBTRACT", 0x6D},
    {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},
    {"VK_F1", 0x70},
    {"VK_F2", 0x71},
    {"VK_F3", 0x72},
    {"VK_F4", 0x73},
    {"VK_F5", 0x74},
    {"VK_F6", 0x75},
    {"VK_F7", 0x76},
    {"VK_F8", 0x77},
    {"VK_F9", 0x78},
    {"VK_F10", 0x79},
    {"VK_F11", 0x7A},
    {"VK_F12", 0x7B},
    {"VK_F13", 0x7C},
    {"VK_F14", 0x7D},
    {"VK_F15", 0x7E},
    {"VK_F16", 0x7F},
    {"VK_F17", 0x80},
    {"VK_F18", 0x81},
    {"VK_F19", 0x82},
    {"VK_F20", 0x83},
    {"VK_F21", 0x84},
    {"VK_F22", 0x85},
    {"VK_F23", 0x86},
    {"VK_F24", 0x87},
    {"VK_NUMLOCK", 0x90},
    {"VK_SCROLL", 0x91},
    {"VK_LSHIFT", 0xA0},
    {"VK_RSHIFT", 0xA1},
    {"VK_LCONTROL", 0xA2},
    {"VK_RCONTROL", 0xA3},
    {"VK_LMENU", 0xA4},
    {"VK_RMENU", 0xA5},
    {"VK_BROWSER_BACK", 0xA6},
    {"VK_BROWSER_FORWARD", 0xA7},
    {"VK_BROWSER_REFRESH", 0xA8},
    {"VK_BROWSER_STOP", 0xA9},
    {"VK_BROWSER_SEARCH", 0xAA},
    {"VK_BROWSER_FAVORITES", 0xAB},
    {"VK_BROWSER_HOME", 0xAC},
    {"VK_VOLUME_MUTE", 0xAD},
    {"VK_VOLUME_DOWN", 0xAE},
    {"VK_VOLUME_UP", 0xAF},
    {"VK_MEDIA_NEXT_TRACK", 0xB0},
    {"VK_MEDIA_PREV_TRACK", 0xB1},
    {"VK_MEDIA_STOP", 0xB2},
    {"VK_MEDIA_PLAY_PAUSE", 0xB3},
    {"VK_OEM_1", 0xBA},
    {"VK_OEM_PLUS", 0xBB},
    {"VK_OEM_COMMA", 0xBC},
    {"VK_OEM_MINUS", 0xBD},
    {"VK_OEM_PERIOD", 0xBE},
    {"VK_OEM_2", 0xBF},
    {"VK_OEM_3", 0xC0},
    {"VK_OEM_4", 0xDB},
    {"VK_OEM_5", 0xDC},
    {"VK_OEM_6", 0xDD},
    {"VK_OEM_7", 0xDE},
    {"VK_OEM_8", 0xDF},
    {"VK_OEM_102", 0xE2},
    {"VK_ATTN", 0xF6},
    {"VK_PLAY", 0xFA},
    {"VK_ZOOM", 0xFB},
    // Resource types (winuser.h).
    {"RT_CURSOR", 1},
    {"RT_BITMAP", 2},
    {"RT_ICON", 3},
    {"RT_MENU", 4},
    {"RT_DIALOG", 5},
    {"RT_STRING", 6},
    {"RT_FONTDIR", 7},
    {"RT_FONT", 8},
    {"RT_ACCELERATOR", 9},
    {"RT_RCDATA", 10},
    {"RT_MESSAGETABLE", 11},
    {"RT_GROUP_CURSOR", 12},
    {"RT_GROUP_ICON", 14},
    {"RT_VERSION", 16},
    {"RT_DLGINCLUDE", 17},
    {"RT_PLUGPLAY", 19},
    {"RT_VXD", 20},
    {"RT_ANICURSOR", 21},
    {"RT_ANIICON", 22},
    {"RT_HTML", 23},
    // Version information (winver.h).
    {"VS_FILEINFO", 0x10},
    {"VS_FFI_SIGNATURE", 0xFEEF04BD},
    {"VS_FFI_STRUCVERSION", 0x10000},
    {"VS_FFI_FILEFLAGSMASK", 0x3F},
    {"VS_FF_DEBUG", 0x1},
    {"VS_FF_PRERELEASE", 0x2},
    {"VS_FF_PATCHED", 0x4},
    {"VS_FF_PRIVATEBUILD", 0x8},
    {"VS_FF_INFOINFERRED", 0x10},
    {"VS_FF_SPECIALBUILD", 0x20},
    {"VOS_UNKNOWN", 0x0},
    {"VOS_DOS", 0x10000},
    {"VOS_OS216", 0x20000},
    {"VOS_OS232", 0x30000},
    {"VOS_NT", 0x40000},
    {"VOS__BASE", 0x0},
    {"VOS__WINDOWS16", 0x1},
    {"VOS__PM16", 0x2},
    {"VOS__PM32", 0x3},
    {"VOS__WINDOWS32", 0x4},
    {"VOS_DOS_WINDOWS16", 0x10001},
    {"VOS_DOS_WINDOWS32", 0x10004},
    {"VOS_OS216_PM16", 0x20002},
    {"VOS_OS232_PM32", 0x30003},
    {"VOS_NT_WINDOWS32", 0x40004},
    {"VFT_UNKNOWN", 0x0},
    {"VFT_APP", 0x1},
    {"VFT_DLL", 0x2},
    {"VFT_DRV", 0x3},
    {"VFT_FONT", 0x4},
    {"VFT_VXD", 0x5},
    {"VFT_STATIC_LIB", 0x7},
    {"VFT2_UNKNOWN", 0x0},
    {"VFT2_DRV_PRINTER", 0x1},
    {"VFT2_DRV_KEYBOARD", 0x2},
    {"VFT2_DRV_LANGUAGE", 0x3},
    {"VFT2_DRV_DISPLAY", 0x4},
    {"VFT2_DRV_MOUSE", 0x5},
    {"VFT2_DRV_NETWORK", 0x6},
    {"VFT2_DRV_SYSTEM", 0x7},
    {"VFT2_DRV_INSTALLABLE", 0x8},
    {"VFT2_DRV_SOUND", 0x9},
    {"VFT2_DRV_COMM", 0xA},
    {"VFT2_FONT_RASTER", 0x1},
    {"VFT2_FONT_VECTOR", 0x2},
    {"VFT2_FONT_TRUETYPE", 0x3},
    // Window styles.
    {"WS_OVERLAPPED", 0},
    {"WS_POPUP", 0x80000000},
    {"WS_CHILD", 0x40000000},
    {"WS_MINIMIZE", 0x20000000},
    {"WS_VISIBLE", 0x10000000},
    {"WS_DISABLED", 0x08000000},
    {"WS_CLIPSIBLINGS", 0x04000000},
    {"WS_CLIPCHILDREN", 0x02000000},
    {"WS_MAXIMIZE", 0x01000000},
    {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000},
    {"WS_DLGFRAME", 0x00400000},
    {"WS_VSCROLL", 0x00200000},
    {"WS_HSCROLL", 0x00100000},
    {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000},
    {"WS_GROUP", 0x00020000},
    {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000},
    {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_TILED", 0},
    {"WS_ICONIC", 0x20000000},
    {"WS_SIZEBOX", 0x00040000},
    {"WS_OVERLAPPEDWINDOW", 0x00CF0000},
    {"WS_TILEDWINDOW", 0x00CF0000},
    {"WS_POPUPWINDOW", 0x80880000},
    {"WS_CHILDWINDOW", 0x40000000},
    // Extended window styles.
    {"WS_EX_DLGMODALFRAME", 0x1},
    {"WS_EX_NOPARENTNOTIFY", 0x4},
    {"WS_EX_TOPMOST", 0x8},
    {"WS_EX_ACCEPTFILES", 0x10},
    {"WS_EX_TRANSPARENT", 0x20},
    {"WS_EX_MDICHILD", 0x40},
    {"WS_EX_TOOLWINDOW", 0x80},
    {"WS_EX_WINDOWEDGE", 0x100},
    {"WS_EX_CLIENTEDGE", 0x200},
    {"WS_EX_CONTEXTHELP", 0x400},
    {"WS_EX_RIGHT", 0x1000},
    {"WS_EX_LEFT", 0},
    {"WS_EX_RTLREADING", 0x2000},
    {"WS_EX_LTRREADING", 0},
    {"WS_EX_LEFTSCROLLBAR", 0x4000},
    {"WS_EX_RIGHTSCROLLBAR", 0},
    {"WS_EX_CONTROLPARENT", 0x10000},
    {"WS_EX_STATICEDGE", 0x20000},
    {"WS_EX_APPWINDOW", 0x40000},
    {"WS_EX_OVERLAPPEDWINDOW", 0x300},
    {"WS_EX_PALETTEWINDOW", 0x188},
    {"WS_EX_LAYERED", 0x80000},
    {"WS_EX_NOINHERITLAYOUT", 0x100000},
    {"WS_EX_NOREDIRECTIONBITMAP", 0x200000},
    {"WS_EX_LAYOUTRTL", 0x400000},
    {"WS_EX_COMPOSITED", 0x2000000},
    {"WS_EX_NOACTIVATE", 0x8000000},
    // Dialog styles.
    {"DS_ABSALIGN", 0x1},
    {"DS_SYSMODAL", 0x2},
    {"DS_3DLOOK", 0x4},
    {"DS_FIXEDSYS", 0x8},
    {"DS_NOFAILCREATE", 0x10},
    {"DS_LOCALEDIT", 0x20},
    {"DS_SETFONT", 0x40},
    {"DS_MODALFRAME", 0x80},
    {"DS_NOIDLEMSG", 0x100},
    {"DS_SETFOREGROUND", 0x200},
    {"DS_CONTROL", 0x400},
    {"DS_CENTER", 0x800},
    {"DS_CENTERMOUSE", 0x1000},
    {"DS_CONTEXTHELP", 0x2000},
    {"DS_SHELLFONT", 0x48},
    {"DS_USEPIXELS", 0x8000},
    // Buttons.
    {"BS_PUSHBUTTON", 0x0},
    {"BS_DEFPUSHBUTTON", 0x1},
    {"BS_CHECKBOX", 0x2},
    {"BS_AUTOCHECKBOX", 0x3},
    {"BS_RADIOBUTTON", 0x4},
    {"BS_3STATE", 0x5},
    {"BS_AUTO3STATE", 0x6},
    {"BS_GROUPBOX", 0x7},
    {"BS_USERBUTTON", 0x8},
    {"BS_AUTORADIOBUTTON", 0x9},
    {"BS_PUSHBOX", 0xA},
    {"BS_OWNERDRAW", 0xB},
    {"BS_SPLITBUTTON", 0xC},
    {"BS_DEFSPLITBUTTON", 0xD},
    {"BS_COMMANDLINK", 0xE},
    {"BS_DEFCOMMANDLINK", 0xF},
    {"BS_TYPEMASK", 0xF},
    {"BS_LEFTTEXT", 0x20},
    {"BS_RIGHTBUTTON", 0x20},
    {"BS_TEXT", 0},
    {"BS_ICON", 0x40},
    {"BS_BITMAP", 0x80},
    {"BS_LEFT", 0x100},
    {"BS_RIGHT", 0x200},
    {"BS_CENTER", 0x300},
    {"BS_TOP", 0x400},
    {"BS_BOTTOM", 0x800},
    {"BS_VCENTER", 0xC00},
    {"BS_PUSHLIKE", 0x1000},
    {"BS_MULTILINE", 0x2000},
    {"BS_NOTIFY", 0x4000},
    {"BS_FLAT", 0x8000},
    // Edit controls (and rich edit).
    {"ES_LEFT", 0x0},
    {"ES_CENTER", 0x1},
    {"ES_RIGHT", 0x2},
    {"ES_MULTILINE", 0x4},
    {"ES_UPPERCASE", 0x8},
    {"ES_LOWERCASE", 0x10},
    {"ES_PASSWORD", 0x20},
    {"ES_AUTOVSCROLL", 0x40},
    {"ES_AUTOHSCROLL", 0x80},
    {"ES_NOHIDESEL", 0x100},
    {"ES_OEMCONVERT", 0x400},
    {"ES_READONLY", 0x800},
    {"ES_WANTRETURN", 0x1000},
    {"ES_NUMBER", 0x2000},
    {"ES_DISABLENOSCROLL", 0x2000},
    {"ES_SUNKEN", 0x4000},
    {"ES_SAVESEL", 0x8000},
    {"ES_SELECTIONBAR", 0x01000000},
    // Static controls.
    {"SS_LEFT", 0x0},
    {"SS_CENTER", 0x1},
    {"SS_RIGHT", 0x2},
    {"SS_ICON", 0x3},
    {"SS_BLACKRECT", 0x4},
    {"SS_GRAYRECT", 0x5},
    {"SS_WHITERECT", 0x6},
    {"SS_BLACKFRAME", 0x7},
    {"SS_GRAYFRAME", 0x8},
    {"SS_WHITEFRAME", 0x9},
    {"SS_USERITEM", 0xA},
    {"SS_SIMPLE", 0xB},
    {"SS_LEFTNOWORDWRAP", 0xC},
    {"SS_OWNERDRAW", 0xD},
    {"SS_BITMAP", 0xE},
    {"SS_ENHMETAFILE", 0xF},
    {"SS_ETCHEDHORZ", 0x10},
    {"SS_ETCHEDVERT", 0x11},
    {"SS_ETCHEDFRAME", 0x12},
    {"SS_TYPEMASK", 0x1F},
    {"SS_REALSIZECONTROL", 0x40},
    {"SS_NOPREFIX", 0x80},
    {"SS_NOTIFY", 0x100},
    {"SS_CENTERIMAGE", 0x200},
    {"SS_RIGHTJUST", 0x400},
    {"SS_REALSIZEIMAGE", 0x800},
    {"SS_SUNKEN", 0x1000},
    {"SS_EDITCONTROL", 0x2000},
    {"SS_ENDELLIPSIS", 0x4000},
    {"SS_PATHELLIPSIS", 0x8000},
    {"SS_WORDELLIPSIS", 0xC000},
    {"SS_ELLIPSISMASK", 0xC000},
    // List boxes.
    {"LBS_NOTIFY", 0x1},
    {"LBS_SORT", 0x2},
    {"LBS_NOREDRAW", 0x4},
    {"LBS_MULTIPLESEL", 0x8},
    {"LBS_OWNERDRAWFIXED", 0x10},
    {"LBS_OWNERDRAWVARIABLE", 0x20},
    {"LBS_HASSTRINGS", 0x40},
    {"LBS_USETABSTOPS", 0x80},
    {"LBS_NOINTEGRALHEIGHT", 0x100},
    {"LBS_MULTICOLUMN", 0x200},
    {"LBS_WANTKEYBOARDINPUT", 0x400},
    {"LBS_EXTENDEDSEL", 0x800},
    {"LBS_DISABLENOSCROLL", 0x1000},
    {"LBS_NODATA", 0x2000},
    {"LBS_NOSEL", 0x4000},
    {"LBS_COMBOBOX", 0x8000},
    {"LBS_STANDARD", 0x00A00003},
    // Combo boxes.
    {"CBS_SIMPLE", 0x1},
    {"CBS_DROPDOWN", 0x2},
    {"CBS_DROPDOWNLIST", 0x3},
    {"CBS_OWNERDRAWFIXED", 0x10},
    {"CBS_OWNERDRAWVARIABLE", 0x20},
    {"CBS_AUTOHSCROLL", 0x40},
    {"CBS_OEMCONVERT", 0x80},
    {"CBS_SORT", 0x100},
    {"CBS_HASSTRINGS", 0x200},
    {"CBS_NOINTEGRALHEIGHT", 0x400},
    {"CBS_DISABLENOSCROLL", 0x800},
    {"CBS_UPPERCASE", 0x2000},
    {"CBS_LOWERCASE", 0x4000},
    // Scroll bars.
    {"SBS_HORZ", 0x0},
    {"SBS_VERT", 0x1},
    {"SBS_TOPALIGN", 0x2},
    {"SBS_LEFTALIGN", 0x2},
    {"SBS_BOTTOMALIGN", 0x4},
    {"SBS_RIGHTALIGN", 0x4},
    {"SBS_SIZEBOXTOPLEFTALIGN", 0x2},
    {"SBS_SIZEBOXBOTTOMRIGHTALIGN", 0x4},
    {"SBS_SIZEBOX", 0x8},
    {"SBS_SIZEGRIP", 0x10},
    // Common controls (commctrl.h).
    {"CCS_TOP", 0x1},
    {"CCS_NOMOVEY", 0x2},
    {"CCS_BOTTOM", 0x3},
    {"CCS_NORESIZE", 0x4},
    {"CCS_NOPARENTALIGN", 0x8},
    {"CCS_ADJUSTABLE", 0x20},
    {"CCS_NODIVIDER", 0x40},
    {"CCS_VERT", 0x80},
    {"TBS_AUTOTICKS", 0x1},
    {"TBS_VERT", 0x2},
    {"TBS_HORZ", 0x0},
    {"TBS_TOP", 0x4},
    {"TBS_BOTTOM", 0x0},
    {"TBS_LEFT", 0x4},
    {"TBS_RIGHT", 0x0},
    {"TBS_BOTH", 0x8},
    {"TBS_NOTICKS", 0x10},
    {"TBS_ENABLESELRANGE", 0x20},
    {"TBS_FIXEDLENGTH", 0x40},
    {"TBS_NOTHUMB", 0x80},
    {"TBS_TOOLTIPS", 0x100},
    {"TBS_REVERSED", 0x200},
    {"TBS_DOWNISLEFT", 0x400},
    {"TBS_NOTIFYBEFOREMOVE", 0x800},
    {"TBS_TRANSPARENTBKGND", 0x1000},
    {"PBS_SMOOTH", 0x1},
    {"PBS_VERTICAL", 0x4},
    {"PBS_MARQUEE", 0x8},
    {"PBS_SMOOTHREVERSE", 0x10},
    {"UDS_WRAP", 0x1},
    {"UDS_SETBUDDYINT", 0x2},
    {"UDS_ALIGNRIGHT", 0x4},
    {"UDS_ALIGNLEFT", 0x8},
    {"UDS_AUTOBUDDY", 0x10},
    {"UDS_ARROWKEYS", 0x20},
    {"UDS_HORZ", 0x40},
    {"UDS_NOTHOUSANDS", 0x80},
    {"UDS_HOTTRACK", 0x100},
    {"LVS_ICON", 0x0},
    {"LVS_REPORT", 0x1},
    {"LVS_SMALLICON", 0x2},
    {"LVS_LIST", 0x3},
    {"LVS_TYPEMASK", 0x3},
    {"LVS_SINGLESEL", 0x4},
    {"LVS_SHOWSELALWAYS", 0x8},
    {"LVS_SORTASCENDING", 0x10},
    {"LVS_SORTDESCENDING", 0x20},
    {"LVS_SHAREIMAGELISTS", 0x40},
    {"LVS_NOLABELWRAP", 0x80},
    {"LVS_AUTOARRANGE", 0x100},
    {"LVS_EDITLABELS", 0x200},
    {"LVS_OWNERDRAWFIXED", 0x400},
    {"LVS_ALIGNTOP", 0x0},
    {"LVS_ALIGNLEFT", 0x800},
    {"LVS_ALIGNMASK", 0xC00},
    {"LVS_OWNERDATA", 0x1000},
    {"LVS_NOSCROLL", 0x2000},
    {"LVS_NOCOLUMNHEADER", 0x4000},
    {"LVS_NOSORTHEADER", 0x8000},
    {"LVS_TYPESTYLEMASK", 0xFC00},
    {"TVS_HASBUTTONS", 0x1},
    {"TVS_HASLINES", 0x2},
    {"TVS_LINESATROOT", 0x4},
    {"TVS_EDITLABELS", 0x8},
    {"TVS_DISABLEDRAGDROP", 0x10},
    {"TVS_SHOWSELALWAYS", 0x20},
    {"TVS_RTLREADING", 0x40},
    {"TVS_NOTOOLTIPS", 0x80},
    {"TVS_CHECKBOXES", 0x100},
    {"TVS_TRACKSELECT", 0x200},
    {"TVS_SINGLEEXPAND", 0x400},
    {"TVS_INFOTIP", 0x800},
    {"TVS_FULLROWSELECT", 0x1000},
    {"TVS_NOSCROLL", 0x2000},
    {"TVS_NONEVENHEIGHT", 0x4000},
    {"TVS_NOHSCROLL", 0x8000},
    {"TCS_SCROLLOPPOSITE", 0x1},
    {"TCS_BOTTOM", 0x2},
    {"TCS_RIGHT", 0x2},
    {"TCS_MULTISELECT", 0x4},
    {"TCS_FLATBUTTONS", 0x8},
    {"TCS_FORCEICONLEFT", 0x10},
    {"TCS_FORCELABELLEFT", 0x20},
    {"TCS_HOTTRACK", 0x40},
    {"TCS_VERTICAL", 0x80},
    {"TCS_TABS", 0x0},
    {"TCS_BUTTONS", 0x100},
    {"TCS_SINGLELINE", 0x0},
    {"TCS_MULTILINE", 0x200},
    {"TCS_RIGHTJUSTIFY", 0x0},
    {"TCS_FIXEDWIDTH", 0x400},
    {"TCS_RAGGEDRIGHT", 0x800},
    {"TCS_FOCUSONBUTTONDOWN", 0x1000},
    {"TCS_OWNERDRAWFIXED", 0x2000},
    {"TCS_TOOLTIPS", 0x4000},
    {"TCS_FOCUSNEVER", 0x8000},
    {"ACS_CENTER", 0x1},
    {"ACS_TRANSPARENT", 0x2},
    {"ACS_AUTOPLAY", 0x4},
    {"ACS_TIMER", 0x8},
    {"DTS_UPDOWN", 0x1},
    {"DTS_SHOWNONE", 0x2},
    {"DTS_SHORTDATEFORMAT", 0x0},
    {"DTS_LONGDATEFORMAT", 0x4},
    {"DTS_SHORTDATECENTURYFORMAT", 0xC},
    {"DTS_TIMEFORMAT", 0x9},
    {"DTS_APPCANPARSE", 0x10},
    {"DTS_RIGHTALIGN", 0x20},
    {"MCS_DAYSTATE", 0x1},
    {"MCS_MULTISELECT", 0x2},
    {"MCS_WEEKNUMBERS", 0x4},
    {"MCS_NOTODAYCIRCLE", 0x8},
    {"MCS_NOTODAY", 0x10},
    {"HDS_HORZ", 0x0},
    {"HDS_BUTTONS", 0x2},
    {"HDS_HOTTRACK", 0x4},
    {"HDS_HIDDEN", 0x8},
    {"HDS_DRAGDROP", 0x40},
    {"HDS_FULLDRAG", 0x80},
    {"SBARS_SIZEGRIP", 0x100},
    {"SBARS_TOOLTIPS", 0x800},
    {"TTS_ALWAYSTIP", 0x1},
    {"TTS_NOPREFIX", 0x2},
    {"LWS_TRANSPARENT", 0x1},
    {"LWS_IGNORERETURN", 0x2},
    {"TBSTYLE_TOOLTIPS", 0x100},
    {"TBSTYLE_WRAPABLE", 0x200},
    {"TBSTYLE_FLAT", 0x800},
    {"TBSTYLE_LIST", 0x1000},
    {"RBS_TOOLTIPS", 0x100},
    {"RBS_VARHEIGHT", 0x200},
    {"RBS_BANDBORDERS", 0x400},
    {"RBS_FIXEDORDER", 0x800},
    // Menus.
    {"MFT_STRING", 0x0},
    {"MFT_BITMAP", 0x4},
    {"MFT_MENUBARBREAK", 0x20},
    {"MFT_MENUBREAK", 0x40},
    {"MFT_OWNERDRAW", 0x100},
    {"MFT_RADIOCHECK", 0x200},
    {"MFT_SEPARATOR", 0x800},
    {"MFT_RIGHTORDER", 0x2000},
    {"MFT_RIGHTJUSTIFY", 0x4000},
    {"MFS_GRAYED", 0x3},
    {"MFS_DISABLED", 0x3},
    {"MFS_CHECKED", 0x8},
    {"MFS_HILITE", 0x80},
    {"MFS_ENABLED", 0x0},
    {"MFS_UNCHECKED", 0x0},
    {"MFS_UNHILITE", 0x0},
    {"MFS_DEFAULT", 0x1000},
    {"MF_GRAYED", 0x1},
    {"MF_DISABLED", 0x2},
    {"MF_CHECKED", 0x8},
    {"MF_POPUP", 0x10},
    {"MF_MENUBARBREAK", 0x20},
    {"MF_MENUBREAK", 0x40},
    {"MF_OWNERDRAW", 0x100},
    {"MF_SEPARATOR", 0x800},
    {"MF_HELP", 0x4000},
    // Fonts.
    {"FW_DONTCARE", 0},
    {"FW_THIN", 100},
    {"FW_EXTRALIGHT", 200},
    {"FW_ULTRALIGHT", 200},
    {"FW_LIGHT", 300},
    {"FW_NORMAL", 400},
    {"FW_REGULAR", 400},
    {"FW_MEDIUM", 500},
    {"FW_SEMIBOLD", 600},
    {"FW_DEMIBOLD", 600},
    {"FW_BOLD", 700},
    {"FW_EXTRABOLD", 800},
    {"FW_ULTRABOLD", 800},
    {"FW_HEAVY", 900},
    {"FW_BLACK", 900},
    {"ANSI_CHARSET", 0},
    {"DEFAULT_CHARSET", 1},
    {"SYMBOL_CHARSET", 2},
    {"SHIFTJIS_CHARSET", 128},
    {"HANGUL_CHARSET", 129},
    {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136},
    {"OEM_CHARSET", 255},
    {"GREEK_CHARSET", 161},
    {"TURKISH_CHARSET", 162},
    {"HEBREW_CHARSET", 177},
    {"ARABIC_CHARSET", 178},
    {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},
    {"EASTEUROPE_CHARSET", 238},
    // Resource types and version information.
    {"VS_VERSION_INFO", 1},
    {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 1},
    {"ISOLATIONAWARE_MANIFEST_RESOURCE_ID", 2},
    {"RT_MANIFEST", 24},
    // Languages.
    {"LANG_NEUTRAL", 0x00},
    {"LANG_INVARIANT", 0x7F},
    {"LANG_ARABIC", 0x01},
    {"LANG_BULGARIAN", 0x02},
    {"LANG_CATALAN", 0x03},
    {"LANG_CHINESE", 0x04},
    {"LANG_CZECH", 0x05},
    {"LANG_DANISH", 0x06},
    {"LANG_GERMAN", 0x07},
    {"LANG_GREEK", 0x08},
    {"LANG_ENGLISH", 0x09},
    {"LANG_SPANISH", 0x0A},
    {"LANG_FINNISH", 0x0B},
    {"LANG_FRENCH", 0x0C},
    {"LANG_HEBREW", 0x0D},
    {"LANG_HUNGARIAN", 0x0E},
    {"LANG_ICELANDIC", 0x0F},
    {"LANG_ITALIAN", 0x10},
    {"LANG_JAPANESE", 0x11},
    {"LANG_KOREAN", 0x12},
    {"LANG_DUTCH", 0x13},
    {"LANG_NORWEGIAN", 0x14},
    {"LANG_POLISH", 0x15},
    {"LANG_PORTUGUESE", 0x16},
    {"LANG_ROMANSH", 0x17},
    {"LANG_ROMANIAN", 0x18},
    {"LANG_RUSSIAN", 0x19},
    {"LANG_CROATIAN", 0x1A},
    {"LANG_SERBIAN", 0x1A},
    {"LANG_BOSNIAN", 0x1A},
    {"LANG_SLOVAK", 0x1B},
    {"LANG_ALBANIAN", 0x1C},
    {"LANG_SWEDISH", 0x1D},
    {"LANG_THAI", 0x1E},
    {"LANG_TURKISH", 0x1F},
    {"LANG_URDU", 0x20},
    {"LANG_INDONESIAN", 0x21},
    {"LANG_UKRAINIAN", 0x22},
    {"LANG_BELARUSIAN", 0x23},
    {"LANG_SLOVENIAN", 0x24},
    {"LANG_ESTONIAN", 0x25},
    {"LANG_LATVIAN", 0x26},
    {"LANG_LITHUANIAN", 0x27},
    {"LANG_TAJIK", 0x28},
    {"LANG_FARSI", 0x29},
    {"LANG_PERSIAN", 0x29},
    {"LANG_VIETNAMESE", 0x2A},
    {"LANG_ARMENIAN", 0x2B},
    {"LANG_AZERI", 0x2C},
    {"LANG_BASQUE", 0x2D},
    {"LANG_MACEDONIAN", 0x2F},
    {"LANG_AFRIKAANS", 0x36},
    {"LANG_GEORGIAN", 0x37},
    {"LANG_FAEROESE", 0x38},
    {"LANG_HINDI", 0x39},
    {"LANG_MALTESE", 0x3A},
    {"LANG_IRISH", 0x3C},
    {"LANG_MALAY", 0x3E},
    {"LANG_KAZAK", 0x3F},
    {"LANG_KYRGYZ", 0x40},
    {"LANG_SWAHILI", 0x41},
    {"LANG_UZBEK", 0x43},
    {"LANG_TATAR", 0x44},
    {"LANG_BENGALI", 0x45},
    {"LANG_PUNJABI", 0x46},
    {"LANG_GUJARATI", 0x47},
    {"LANG_TAMIL", 0x49},
    {"LANG_TELUGU", 0x4A},
    {"LANG_KANNADA", 0x4B},
    {"LANG_MALAYALAM", 0x4C},
    {"LANG_MARATHI", 0x4E},
    {"LANG_SANSKRIT", 0x4F},
    {"LANG_MONGOLIAN", 0x50},
    {"LANG_WELSH", 0x52},
    {"LANG_GALICIAN", 0x56},
    {"LANG_KONKANI", 0x57},
    {"LANG_SYRIAC", 0x5A},
    {"LANG_DIVEHI", 0x65},
    {"LANG_BASHKIR", 0x6D},
    {"LANG_LUXEMBOURGISH", 0x6E},
    {"LANG_YAKUT", 0x85},
    {"SUBLANG_NEUTRAL", 0x00},
    {"SUBLANG_DEFAULT", 0x01},
    {"SUBLANG_SYS_DEFAULT", 0x02},
    {"SUBLANG_CUSTOM_DEFAULT", 0x03},
    {"SUBLANG_CUSTOM_UNSPECIFIED", 0x04},
    {"SUBLANG_UI_CUSTOM_DEFAULT", 0x05},
    {"SUBLANG_ARABIC_SAUDI_ARABIA", 0x01},
    {"SUBLANG_CHINESE_TRADITIONAL", 0x01},
    {"SUBLANG_CHINESE_SIMPLIFIED", 0x02},
    {"SUBLANG_CHINESE_HONGKONG", 0x03},
    {"SUBLANG_CHINESE_SINGAPORE", 0x04},
    {"SUBLANG_CHINESE_MACAU", 0x05},
    {"SUBLANG_CZECH_CZECH_REPUBLIC", 0x01},
    {"SUBLANG_DANISH_DENMARK", 0x01},
    {"SUBLANG_DUTCH", 0x01},
    {"SUBLANG_DUTCH_BELGIAN", 0x02},
    {"SUBLANG_ENGLISH_US", 0x01},
    {"SUBLANG_ENGLISH_UK", 0x02},
    {"SUBLANG_ENGLISH_AUS", 0x03},
    {"SUBLANG_ENGLISH_CAN", 0x04},
    {"SUBLANG_ENGLISH_NZ", 0x05},
    {"SUBLANG_ENGLISH_EIRE", 0x06},
    {"SUBLANG_ENGLISH_SOUTH_AFRICA", 0x07},
    {"SUBLANG_FRENCH", 0x01},
    {"SUBLANG_FRENCH_BELGIAN", 0x02},
    {"SUBLANG_FRENCH_CANADIAN", 0x03},
    {"SUBLANG_FRENCH_SWISS", 0x04},
    {"SUBLANG_GERMAN", 0x01},
    {"SUBLANG_GERMAN_SWISS", 0x02},
    {"SUBLANG_GERMAN_AUSTRIAN", 0x03},
    {"SUBLANG_GREEK_GREECE", 0x01},
    {"SUBLANG_HUNGARIAN_HUNGARY", 0x01},
    {"SUBLANG_ITALIAN", 0x01},
    {"SUBLANG_ITALIAN_SWISS", 0x02},
    {"SUBLANG_JAPANESE_JAPAN", 0x01},
    {"SUBLANG_KOREAN", 0x01},
    {"SUBLANG_NORWEGIAN_BOKMAL", 0x01},
    {"SUBLANG_NORWEGIAN_NYNORSK", 0x02},
    {"SUBLANG_POLISH_POLAND", 0x01},
    {"SUBLANG_PORTUGUESE", 0x02},
    {"SUBLANG_PORTUGUESE_BRAZILIAN", 0x01},
    {"SUBLANG_RUSSIAN_RUSSIA", 0x01},
    {"SUBLANG_SERBIAN_LATIN", 0x02},
    {"SUBLANG_SERBIAN_CYRILLIC", 0x03},
    {"SUBLANG_SLOVAK_SLOVAKIA", 0x01},
    {"SUBLANG_SPANISH", 0x01},
    {"SUBLANG_SPANISH_MEXICAN", 0x02},
    {"SUBLANG_SPANISH_MODERN", 0x03},
    {"SUBLANG_SWEDISH", 0x01},
    {"SUBLANG_THAI_THAILAND", 0x01},
    {"SUBLANG_TURKISH_TURKEY", 0x01},
    {"SUBLANG_UKRAINIAN_UKRAINE", 0x01},
    // The templates of the common dialogs (dlgs.h), which scripts name
    // their own versions of those dialogs after.
    {"FILEOPENORD", 1536},
    {"MULTIFILEOPENORD", 1537},
    {"PRINTDLGORD", 1538},
    {"PRNSETUPDLGORD", 1539},
    {"FINDDLGORD", 1540},
    {"REPLACEDLGORD", 1541},
    {"FONTDLGORD", 1542},
    {"FORMATDLGORD31", 1543},
    {"FORMATDLGORD30", 1544},
    {"RUNDLGORD", 1545},
    {"PAGESETUPDLGORD", 1546},
    {"NEWFILEOPENORD", 1547},
    {"PRINTDLGEXORD", 1549},
    {"PAGESETUPDLGORDMOTIF", 1550},
    {"COLORMGMTDLGORD", 1551},
    {"NEWFILEOPENV2ORD", 1552},
};

// The command, string, window and dialog ids of MFC applications
// (afxres.h), as Microsoft documents them; ATL and WTL applications
// (atlres.h) share the command ids. IDR_MAINFRAME and the like are the
// application's own.
constexpr NumericConstant kFramework[] = {
    // Strings the framework asks the application for.
    {"AFX_IDS_APP_TITLE", 0xE000},
    {"AFX_IDS_IDLEMESSAGE", 0xE001},
    {"AFX_IDS_HELPMODEMESSAGE", 0xE002},
    {"AFX_IDS_APP_TITLE_EMBEDDING", 0xE003},
    {"AFX_IDS_COMPANY_NAME", 0xE004},
    {"AFX_IDS_OBJ_TITLE_INPLACE", 0xE005},
    // File commands (ID_FILE_MRU_FILE1 to 16 follow ID_FILE_MRU_FIRST).
    {"ID_FILE_NEW", 0xE100},
    {"ID_FILE_OPEN", 0xE101},
    {"ID_FILE_CLOSE", 0xE102},
    {"ID_FILE_SAVE", 0xE103},
    {"ID_FILE_SAVE_AS", 0xE104},
    {"ID_FILE_PAGE_SETUP", 0xE105},
    {"ID_FILE_PRINT_SETUP", 0xE106},
    {"ID_FILE_PRINT", 0xE107},
    {"ID_FILE_PRINT_DIRECT", 0xE108},
    {"ID_FILE_PRINT_PREVIEW", 0xE109},
    {"ID_FILE_UPDATE", 0xE10A},
    {"ID_FILE_SAVE_COPY_AS", 0xE10B},
    {"ID_FILE_SEND_MAIL", 0xE10C},
    {"ID_FILE_NEW_FRAME", 0xE10D},
    {"ID_FILE_MRU_FIRST", 0xE110},
    {"ID_FILE_MRU_LAST", 0xE11F},
    // Edit commands.
    {"ID_EDIT_CLEAR", 0xE120},
    {"ID_EDIT_CLEAR_ALL", 0xE121},
    {"ID_EDIT_COPY", 0xE122},
    {"ID_EDIT_CUT", 0xE123},
    {"ID_EDIT_FIND", 0xE124},
    {"ID_EDIT_PASTE", 0xE125},
    {"ID_EDIT_PASTE_LINK", 0xE126},
    {"ID_EDIT_PASTE_SPECIAL", 0xE127},
    {"ID_EDIT_REPEAT", 0xE128},
    {"ID_EDIT_REPLACE", 0xE129},
    {"ID_EDIT_SELECT_ALL", 0xE12A},
    {"ID_EDIT_UNDO", 0xE12B},
    {"ID_EDIT_REDO", 0xE12C},
    // Window commands.
    {"ID_WINDOW_NEW", 0xE130},
    {"ID_WINDOW_ARRANGE", 0xE131},
    {"ID_WINDOW_CASCADE", 0xE132},
    {"ID_WINDOW_TILE_HORZ", 0xE133},
    {"ID_WINDOW_TILE_VERT", 0xE134},
    {"ID_WINDOW_SPLIT", 0xE135},
    // Application and help commands.
    {"ID_APP_ABOUT", 0xE140},
    {"ID_APP_EXIT", 0xE141},
    {"ID_HELP_INDEX", 0xE142},
    {"ID_HELP_FINDER", 0xE143},
    {"ID_HELP_USING", 0xE144},
    {"ID_CONTEXT_HELP", 0xE145},
    {"ID_HELP", 0xE146},
    {"ID_DEFAULT_HELP", 0xE147},
    {"ID_NEXT_PANE", 0xE150},
    {"ID_PREV_PANE", 0xE151},
    {"ID_FORMAT_FONT", 0xE160},
    // OLE commands.
    {"ID_OLE_INSERT_NEW", 0xE200},
    {"ID_OLE_EDIT_LINKS", 0xE201},
    {"ID_OLE_EDIT_CONVERT", 0xE202},
    {"ID_OLE_EDIT_CHANGE_ICON", 0xE203},
    {"ID_OLE_EDIT_PROPERTIES", 0xE204},
    {"ID_OLE_VERB_FIRST", 0xE210},
    // The print preview bar.
    {"AFX_ID_PREVIEW_CLOSE", 0xE300},
    {"AFX_ID_PREVIEW_NUMPAGE", 0xE301},
    {"AFX_ID_PREVIEW_NEXT", 0xE302},
    {"AFX_ID_PREVIEW_PREV", 0xE303},
    {"AFX_ID_PREVIEW_PRINT", 0xE304},
    {"AFX_ID_PREVIEW_ZOOMIN", 0xE305},
    {"AFX_ID_PREVIEW_ZOOMOUT", 0xE306},
    // Status bar indicators.
    {"ID_INDICATOR_EXT", 0xE700},
    {"ID_INDICATOR_CAPS", 0xE701},
    {"ID_INDICATOR_NUM", 0xE702},
    {"ID_INDICATOR_SCRL", 0xE703},
    {"ID_INDICATOR_OVR", 0xE704},
    {"ID_INDICATOR_REC", 0xE705},
    {"ID_INDICATOR_KANA", 0xE706},
    {"ID_SEPARATOR", 0},
    // View commands, which share their numbers with the control bars.
    {"ID_VIEW_TOOLBAR", 0xE800},
    {"ID_VIEW_STATUS_BAR", 0xE801},
    {"ID_VIEW_REBAR", 0xE804},
    {"ID_VIEW_AUTOARRANGE", 0xE805},
    {"ID_VIEW_SMALLICON", 0xE810},
    {"ID_VIEW_LARGEICON", 0xE811},
    {"ID_VIEW_LIST", 0xE812},
    {"ID_VIEW_DETAILS", 0xE813},
    {"ID_VIEW_LINEUP", 0xE814},
    {"ID_VIEW_BYNAME", 0xE815},
    {"AFX_ID_VIEW_MINIMUM", 0xE810},
    {"AFX_ID_VIEW_MAXIMUM", 0xE815},
    // Control bars and the parts of a frame window.
    {"AFX_IDW_CONTROLBAR_FIRST", 0xE800},
    {"AFX_IDW_CONTROLBAR_LAST", 0xE8FF},
    {"AFX_IDW_TOOLBAR", 0xE800},
    {"AFX_IDW_STATUS_BAR", 0xE801},
    {"AFX_IDW_PREVIEW_BAR", 0xE802},
    {"AFX_IDW_RESIZE_BAR", 0xE803},
    {"AFX_IDW_REBAR", 0xE804},
    {"AFX_IDW_DIALOGBAR", 0xE805},
    {"AFX_IDW_DOCKBAR_TOP", 0xE81B},
    {"AFX_IDW_DOCKBAR_LEFT", 0xE81C},
    {"AFX_IDW_DOCKBAR_RIGHT", 0xE81D},
    {"AFX_IDW_DOCKBAR_BOTTOM", 0xE81E},
    {"AFX_IDW_DOCKBAR_FLOAT", 0xE81F},
    {"AFX_IDW_PANE_FIRST", 0xE900},
    {"AFX_IDW_PANE_LAST", 0xE9FF},
    {"AFX_IDW_HSCROLL_FIRST", 0xEA00},
    {"AFX_IDW_VSCROLL_FIRST", 0xEA10},
    {"AFX_IDW_SIZE_BOX", 0xEA20},
    {"AFX_IDW_PANE_SAVE", 0xEA21},
    // Record view commands.
    {"ID_RECORD_FIRST", 0xE900},
    {"ID_RECORD_LAST", 0xE901},
    {"ID_RECORD_NEXT", 0xE902},
    {"ID_RECORD_PREV", 0xE903},
    // The system menu's prompts and the framework's own strings.
    {"AFX_IDS_SCSIZE", 0xEF00},
    {"AFX_IDS_SCMOVE", 0xEF01},
    {"AFX_IDS_SCMINIMIZE", 0xEF02},
    {"AFX_IDS_SCMAXIMIZE", 0xEF03},
    {"AFX_IDS_SCNEXTWINDOW", 0xEF04},
    {"AFX_IDS_SCPREVWINDOW", 0xEF05},
    {"AFX_IDS_SCCLOSE", 0xEF06},
    {"AFX_IDS_SCRESTORE", 0xEF12},
    {"AFX_IDS_SCTASKLIST", 0xEF13},
    {"AFX_IDS_MDICHILD", 0xEF1F},
    {"AFX_IDS_DESKACCESSORY", 0xEFDA},
    {"AFX_IDS_OPENFILE", 0xF000},
    {"AFX_IDS_SAVEFILE", 0xF001},
    {"AFX_IDS_ALLFILTER", 0xF002},
    {"AFX_IDS_UNTITLED", 0xF003},
    {"AFX_IDS_SAVEFILECOPY", 0xF004},
    {"AFX_IDS_PREVIEW_CLOSE", 0xF005},
    {"AFX_IDS_UNNAMED_FILE", 0xF006},
    {"AFX_IDS_HIDE", 0xF011},
    {"AFX_IDS_PRINTONPORT", 0xF040},
    {"AFX_IDS_ONEPAGE", 0xF041},
    {"AFX_IDS_TWOPAGE", 0xF042},
    {"AFX_IDS_PRINTPAGENUM", 0xF043},
    {"AFX_IDS_PREVIEWPAGEDESC", 0xF044},
    {"AFX_IDS_PRINTDEFAULTEXT", 0xF045},
    {"AFX_IDS_PRINTDEFAULT", 0xF046},
    {"AFX_IDS_PRINTFILTER", 0xF047},
    {"AFX_IDS_PRINTCAPTION", 0xF048},
    {"AFX_IDS_PRINTTOFILE", 0xF049},
    // The framework's prompts.
    {"AFX_IDP_INVALID_FILENAME", 0xF100},
    {"AFX_IDP_FAILED_TO_OPEN_DOC", 0xF101},
    {"AFX_IDP_FAILED_TO_SAVE_DOC", 0xF102},
    {"AFX_IDP_ASK_TO_SAVE", 0xF103},
    {"AFX_IDP_FAILED_TO_CREATE_DOC", 0xF104},
    {"AFX_IDP_FILE_TOO_LARGE", 0xF105},
    {"AFX_IDP_FAILED_TO_START_PRINT", 0xF106},
    {"AFX_IDP_FAILED_TO_LAUNCH_HELP", 0xF107},
    {"AFX_IDP_INTERNAL_FAILURE", 0xF108},
    {"AFX_IDP_COMMAND_FAILURE", 0xF109},
    {"AFX_IDP_FAILED_MEMORY_ALLOC", 0xF10A},
    {"AFX_IDP_PARSE_INT", 0xF110},
    {"AFX_IDP_PARSE_REAL", 0xF111},
    {"AFX_IDP_PARSE_INT_RANGE", 0xF112},
    {"AFX_IDP_PARSE_REAL_RANGE", 0xF113},
    {"AFX_IDP_PARSE_STRING_SIZE", 0xF114},
    {"AFX_IDP_PARSE_RADIO_BUTTON", 0xF115},
    {"AFX_IDP_PARSE_BYTE", 0xF116},
    {"AFX_IDP_PARSE_UINT", 0xF117},
    // The framework's dialogs and their controls.
    {"AFX_IDD_NEWTYPEDLG", 30721},
    {"AFX_IDD_PRINTDLG", 30722},
    {"AFX_IDD_PREVIEW_TOOLBAR", 30723},
    {"AFX_IDD_INSERTOBJECT", 30724},
    {"AFX_IDD_CHANGEICON", 30725},
    {"AFX_IDD_CONVERT", 30726},
    {"AFX_IDD_PASTESPECIAL", 30727},
    {"AFX_IDD_EDITLINKS", 30728},
    {"AFX_IDD_FILEBROWSE", 30729},
    {"AFX_IDD_BUSY", 30730},
    {"AFX_IDD_OBJECTPROPERTIES", 30732},
    {"AFX_IDD_CHANGESOURCE", 30733},
    {"AFX_IDC_LISTBOX", 100},
    {"AFX_IDC_CHANGE", 101},
    {"AFX_IDC_BROWSER", 102},
    {"AFX_IDC_PRINT_DOCNAME", 201},
    {"AFX_IDC_PRINT_PRINTERNAME", 202},
    {"AFX_IDC_PRINT_PORTNAME", 203},
    {"AFX_IDC_PRINT_PAGENUM", 204},
    {"AFX_IDC_TAB_CONTROL", 0x3020},
    {"ID_APPLY_NOW", 0x3021},
    {"ID_WIZBACK", 0x3023},
    {"ID_WIZNEXT", 0x3024},
    {"ID_WIZFINISH", 0x3025},
    // Cursors and icons.
    {"AFX_IDC_CONTEXTHELP", 30977},
    {"AFX_IDC_MAGNIFY", 30978},
    {"AFX_IDC_SMALLARROWS", 30979},
    {"AFX_IDC_HSPLITBAR", 30980},
    {"AFX_IDC_VSPLITBAR", 30981},
    {"AFX_IDC_NODROPCRSR", 30982},
    {"AFX_IDC_TRACKNWSE", 30983},
    {"AFX_IDC_TRACKNESW", 30984},
    {"AFX_IDC_TRACKNS", 30985},
    {"AFX_IDC_TRACKWE", 30986},
    {"AFX_IDC_TRACK4WAY", 30987},
    {"AFX_IDC_MOVE4WAY", 30988},
    {"AFX_IDI_STD_MDIFRAME", 1},
    {"AFX_IDI_STD_FRAME", 2},
    // ATL and WTL names of the same strings and bars.
    {"ATL_IDS_IDLEMESSAGE", 0xE001},
    {"ATL_IDW_TOOLBAR", 0xE800},
    {"ATL_IDW_STATUS_BAR", 0xE801},
    {"ATL_IDW_COMMAND_BAR", 0xE802},
    {"ATL_IDS_SCSIZE", 0xEF00},
    {"ATL_IDS_SCMOVE", 0xEF01},
    {"ATL_IDS_SCMINIMIZE", 0xEF02},
    {"ATL_IDS_SCMAXIMIZE", 0xEF03},
    {"ATL_IDS_SCNEXTWINDOW", 0xEF04},
    {"ATL_IDS_SCPREVWINDOW", 0xEF05},
    {"ATL_IDS_SCCLOSE", 0xEF06},
    {"ATL_IDS_SCRESTORE", 0xEF12},
    {"ATL_IDS_SCTASKLIST", 0xEF13},
    {"ATL_IDS_MDICHILD", 0xEF1F},
    {"ATL_IDS_MRU_FILE", 0xEFDA},
};

struct ClassConstant {
  std::string_view name;
  std::string_view class_name;
};

// Without UNICODE defined, as when the resource compiler reads the
// headers, the macros that have an A and a W form name the A form.
constexpr ClassConstant kClasses[] = {
    {"WC_BUTTON", "Button"},
    {"WC_BUTTONA", "Button"},
    {"WC_BUTTONW", "Button"},
    {"WC_EDIT", "Edit"},
    {"WC_EDITA", "Edit"},
    {"WC_EDITW", "Edit"},
    {"WC_STATIC", "Static"},
    {"WC_STATICA", "Static"},
    {"WC_STATICW", "Static"},
    {"WC_LISTBOX", "ListBox"},
    {"WC_LISTBOXA", "ListBox"},
    {"WC_LISTBOXW", "ListBox"},
    {"WC_COMBOBOX", "ComboBox"},
    {"WC_COMBOBOXA", "ComboBox"},
    {"WC_COMBOBOXW", "ComboBox"},
    {"WC_SCROLLBAR", "ScrollBar"},
    {"WC_SCROLLBARA", "ScrollBar"},
    {"WC_SCROLLBARW", "ScrollBar"},
    {"WC_LISTVIEW", "SysListView32"},
    {"WC_LISTVIEWA", "SysListView32"},
    {"WC_LISTVIEWW", "SysListView32"},
    {"WC_TREEVIEW", "SysTreeView32"},
    {"WC_TREEVIEWA", "SysTreeView32"},
    {"WC_TREEVIEWW", "SysTreeView32"},
    {"WC_TABCONTROL", "SysTabControl32"},
    {"WC_TABCONTROLA", "SysTabControl32"},
    {"WC_TABCONTROLW", "SysTabControl32"},
    {"WC_HEADER", "SysHeader32"},
    {"WC_HEADERA", "SysHeader32"},
    {"WC_HEADERW", "SysHeader32"},
    {"WC_IPADDRESS", "SysIPAddress32"},
    {"WC_IPADDRESSA", "SysIPAddress32"},
    {"WC_IPADDRESSW", "SysIPAddress32"},
    {"WC_PAGESCROLLER", "SysPager"},
    {"WC_NATIVEFONTCTL", "NativeFontCtl"},
    {"WC_COMBOBOXEX", "ComboBoxEx32"},
    {"WC_LINK", "SysLink"},
    {"TRACKBAR_CLASS", "msctls_trackbar32"},
    {"TRACKBAR_CLASSA", "msctls_trackbar32"},
    {"TRACKBAR_CLASSW", "msctls_trackbar32"},
    {"UPDOWN_CLASS", "msctls_updown32"},
    {"UPDOWN_CLASSA", "msctls_updown32"},
    {"UPDOWN_CLASSW", "msctls_updown32"},
    {"PROGRESS_CLASS", "msctls_progress32"},
    {"PROGRESS_CLASSA", "msctls_progress32"},
    {"PROGRESS_CLASSW", "msctls_progress32"},
    {"HOTKEY_CLASS", "msctls_hotkey32"},
    {"HOTKEY_CLASSA", "msctls_hotkey32"},
    {"HOTKEY_CLASSW", "msctls_hotkey32"},
    {"ANIMATE_CLASS", "SysAnimate32"},
    {"ANIMATE_CLASSA", "SysAnimate32"},
    {"ANIMATE_CLASSW", "SysAnimate32"},
    {"STATUSCLASSNAME", "msctls_statusbar32"},
    {"STATUSCLASSNAMEA", "msctls_statusbar32"},
    {"STATUSCLASSNAMEW", "msctls_statusbar32"},
    {"TOOLBARCLASSNAME", "ToolbarWindow32"},
    {"TOOLBARCLASSNAMEA", "ToolbarWindow32"},
    {"TOOLBARCLASSNAMEW", "ToolbarWindow32"},
    {"TOOLTIPS_CLASS", "tooltips_class32"},
    {"TOOLTIPS_CLASSA", "tooltips_class32"},
    {"TOOLTIPS_CLASSW", "tooltips_class32"},
    {"REBARCLASSNAME", "ReBarWindow32"},
    {"REBARCLASSNAMEA", "ReBarWindow32"},
    {"REBARCLASSNAMEW", "ReBarWindow32"},
    {"DATETIMEPICK_CLASS", "SysDateTimePick32"},
    {"DATETIMEPICK_CLASSA", "SysDateTimePick32"},
    {"DATETIMEPICK_CLASSW", "SysDateTimePick32"},
    {"MONTHCAL_CLASS", "SysMonthCal32"},
    {"MONTHCAL_CLASSA", "SysMonthCal32"},
    {"MONTHCAL_CLASSW", "SysMonthCal32"},
    {"RICHEDIT_CLASS", "RichEdit20A"},
    {"RICHEDIT_CLASSA", "RichEdit20A"},
    {"RICHEDIT_CLASSW", "RichEdit20W"},
    {"RICHEDIT_CLASS10A", "RICHEDIT"},
    {"MSFTEDIT_CLASS", "RICHEDIT50W"},
};

constexpr std::string_view kStandardHeaders[] = {
    "windows.h", "winres.h",    "winresrc.h",  "commctrl.h",  "richedit.h",
    "prsht.h",   "dlgs.h",      "winuser.h",   "winuser.rh",  "winnt.h",
    "winnt.rh",  "windef.h",    "winver.h",    "commctrl.rh", "dde.h",
    "dde.rh",    "winbase.h",   "ntverp.h",    "shlobj.h",    "shellapi.h",
    "olectl.h",  "sdkddkver.h", "winresrc.rh", "verrsrc.h",   "mmsystem.h",
    "ddeml.h",   "commdlg.h",   "wingdi.h",
};

// The headers (and MFC's resource file) that give the framework's ids.
constexpr std::string_view kFrameworkHeaders[] = {"afxres.h", "afxres.rc",
                                                  "atlres.h"};

// A name's hash for the indexes below: eight bytes at a time, each step a
// multiply, since the names are short and looked up by the million; the
// library's byte-wise hash cost more than the rest of the lookup.
std::uint32_t name_hash(std::string_view name) {
  std::uint64_t hash = name.size() * 0x9E3779B97F4A7C15ull;
  std::size_t at = 0;
  for (; at + 8 <= name.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, name.data() + at, 8);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
  }
  if (at < name.size()) {
    std::uint64_t word = 0;
    std::memcpy(&word, name.data() + at, name.size() - at);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
  }
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// The entries of a table by name, built on first use, one index per table.
// Nearly every name in a script's expressions is looked up here, most of
// them not found (the script's own ids): the index is an open-addressed
// array, a quarter full, of 4-byte slots (the hash's top half, 1 + the
// entry's position), so that a lookup reads one or two slots of a few
// kilobytes kept in cache, and a name's text is compared only when the
// hash's halves match.
template <const auto& Table>
class NameIndex {
 public:
  using Entry = std::remove_cvref_t<decltype(Table[0])>;

  NameIndex() {
    static_assert(std::size(Table) < 0xFFFF);
    while (slots_.size() < std::size(Table) * 4) {
      slots_.resize(slots_.empty() ? 16 : slots_.size() * 2);
    }
    mask_ = slots_.size() - 1;
    for (std::size_t i = 0; i < std::size(Table); ++i) {
      std::uint32_t hash = name_hash(Table[i].name);
      std::size_t at = hash & mask_;
      while (slots_[at].entry != 0) {
        at = (at + 1) & mask_;
      }
      slots_[at] = {static_cast<std::uint16_t>(hash >> 16),
                    static_cast<std::uint16_t>(i + 1)};
    }
  }

  const Entry* find(std::string_view name) const {
    std::uint32_t hash = name_hash(name);
    auto tag = static_cast<std::uint16_t>(hash >> 16);
    for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
      Slot slot = slots_[at];
      if (slot.entry == 0) {
        return nullptr;
      }
      if (slot.tag == tag && Table[slot.entry - 1].name == name) {
        return &Table[slot.entry - 1];
      }
    }
  }

 private:
  struct Slot {
    std::uint16_t tag = 0;
    std::uint16_t entry = 0;  // 0: free
  };
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

template <const auto& Table>
const auto& index_of() {
  static const NameIndex<Table> index;
  return index;
}

}  // namespace

namespace {

// The control ids of the common dialog templates (dlgs.h), which scripts
// that adapt those dialogs use: numbered families from a base, as Microsoft
// documents them (stc1 is 0x440, stc32 0x45F).
std::optional<std::uint32_t> common_dialog_control(std::string_view name) {
  struct Family {
    std::string_view prefix;
    std::uint32_t first;
    int count;
  };
  static constexpr Family kFamilies[] = {
      {"psh", 0x400, 16}, {"chx", 0x410, 16}, {"rad", 0x420, 16},
      {"grp", 0x430, 4},  {"frm", 0x434, 4},  {"rct", 0x438, 4},
      {"ico", 0x43C, 4},  {"stc", 0x440, 32}, {"lst", 0x460, 16},
      {"cmb", 0x470, 16}, {"edt", 0x480, 16}, {"scr", 0x490, 8},
      {"ctl", 0x4A0, 1}};
  // All of them begin with a lower-case letter, and most names a script
  // looks up (IDC_..., WS_...) with a capital: those go no further.
  if (name.empty() || name[0] < 'a' || name[0] > 'z') {
    return std::nullopt;
  }
  if (name == "pshHelp") {
    return 0x40E;  // psh15
  }
  if (name == "ctlFirst") {
    return 0x400;
  }
  if (name == "ctlLast") {
    return 0x4FF;
  }
  for (const Family& family : kFamilies) {
    if (!name.starts_with(family.prefix)) {
      continue;
    }
    std::string_view digits = name.substr(family.prefix.size());
    if (digits.empty() || digits.size() > 2 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    int number = digits[0] - '0';
    if (digits.size() == 2) {
      number = number * 10 + (digits[1] - '0');
    }
    if (number > family.count) {
      return std::nullopt;
    }
    return family.first + static_cast<std::uint32_t>(number - 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> windows_constant(std::string_view name) {
  const auto* found = index_of<kNumeric>().find(name);
  if (found == nullptr) {
    return common_dialog_control(name);
  }
  return found->value;
}

std::optional<std::uint32_t> framework_constant(std::string_view name) {
  if (const auto* found = index_of<kFramework>().find(name)) {
    return found->value;
  }
  // ID_FILE_MRU_FILE1 to ID_FILE_MRU_FILE16.
  constexpr std::string_view kRecentFile = "ID_FILE_MRU_FILE";
  if (name.starts_with(kRecentFile)) {
    std::string_view digits = name.substr(kRecentFile.size());
    int number = 0;
    for (char c : digits) {
      number =
          c >= '0' && c <= '9' && number < 100 ? number * 10 + (c - '0') : 100;
    }
    if (!digits.empty() && digits[0] != '0' && number >= 1 && number <= 16) {
      return 0xE10F + static_cast<std::uint32_t>(number);
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> windows_class_name(std::string_view name) {
  const auto* found = index_of<kClasses>().find(name);
  if (found == nullptr) {
    return std::nullopt;
  }
  return found->class_name;
}

StandardHeader standard_header(std::string_view include_name) {
  std::size_t slash = include_name.find_last_of("/\\");
  if (slash != include_name.npos) {
    include_name.remove_prefix(slash + 1);
  }
  std::string lower(include_name);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  auto listed = [&](const auto& list) {
    return std::find(std::begin(list), std::end(list), lower) != std::end(list);
  };
  if (listed(kFrameworkHeaders)) {
    return StandardHeader::Framework;
  }
  return listed(kStandardHeaders) ? StandardHeader::Windows
                                  : StandardHeader::None;
}

}  // namespace dlgforge::port
