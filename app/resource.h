// Resource and control identifiers of the viewer's dialogs.
#pragma once

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDD_MAIN = 102;
constexpr int IDR_MAINFRAME = 128;
constexpr unsigned IDM_ABOUTBOX = 0x0010;
constexpr unsigned IDM_SAVE_AS = 0x0020;  // "Speichern unter..."
constexpr unsigned IDM_WORKSHEET = 0x0030;  // "Arbeitsblatt speichern..."

constexpr int IDC_BROWSE = 1000;      // "&Auswahl"
constexpr int IDC_FILENAME = 1010;    // edit: name of the loaded file
constexpr int IDC_THUMBNAIL = 1011;   // black frame: the Brother picture
constexpr int IDC_INFO_COLORS = 1012;
constexpr int IDC_INFO_WIDTH = 1013;
constexpr int IDC_INFO_HEIGHT = 1014;
constexpr int IDC_INFO_STITCHES = 1015;
constexpr int IDC_PREVIEW = 1016;     // white rectangle: the design
constexpr int IDC_HSCROLL = 1017;
constexpr int IDC_VSCROLL = 1024;
constexpr int IDC_ZOOM100 = 1037;
constexpr int IDC_ZOOM125 = 1038;
constexpr int IDC_ZOOM150 = 1039;
constexpr int IDC_ZOOM200 = 1040;
constexpr int IDC_ZOOM300 = 1041;
constexpr int IDC_INFO_FORMAT = 1044;
constexpr int IDC_SAVE_DST = 1046;    // "&Tajima"
constexpr int IDC_SAVE_PCS = 1047;    // "&Pfaff"
constexpr int IDC_ROTATE = 1048;      // "&Rotieren"

// The five information fields, in the order the readers write them.
constexpr int kInfoFieldIds[5] = {IDC_INFO_FORMAT, IDC_INFO_COLORS, IDC_INFO_WIDTH,
                                  IDC_INFO_HEIGHT, IDC_INFO_STITCHES};
