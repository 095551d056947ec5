#include "res/Resources.h"

#include "platform/Win32.h"
#include "res/resource.h"

#include "IconData.h"  // generated from res/icons at configure time

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTab = kChild | WS_TABSTOP;

// The main window, 320 x 207 dialog units: the list above, the edit panel
// in its group box below, in tab order.
const DialogItemTemplate kMainItems[] = {
    {IDC_LIST, "SysListView32", "", kTab | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 7, 7, 306, 112},
    {IDC_STATIC, "Button", "Nytt/Redigera meddelande", kChild | BS_GROUPBOX, 7, 124, 306, 77},
    {IDC_STATIC, "Static", "&Datum:", kChild | SS_LEFT, 15, 140, 28, 8},
    {IDC_DATE, "SysDateTimePick32", "", kTab | DTS_SHORTDATEFORMAT, 45, 138, 64, 14},
    {IDC_STATIC, "Static", "&Tid:", kChild | SS_LEFT, 114, 140, 16, 8},
    {IDC_TIME, "SysDateTimePick32", "", kTab | DTS_TIMEFORMAT, 131, 138, 52, 14},
    // Wide enough for every interval the field takes (ten digits: a yearly
    // reminder needs eight) beside its arrows.
    {IDC_PUSH, "Button", "&Knuffa:", kTab | BS_AUTOCHECKBOX, 189, 140, 38, 10},
    {IDC_PUSHTIME, "Edit", "", kTab | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 228, 138, 66, 14},
    {IDC_SPIN_PUSHTIME, "msctls_updown32", "",
     kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 294, 138, 10, 14},
    {IDC_STATIC, "Static", "sek.", kChild | SS_LEFT, 296, 140, 14, 8},
    {IDC_STATIC_TEXT, "Static", "&Meddelande:", kChild | SS_LEFT, 15, 161, 46, 8},
    {IDC_TEXT, "Edit", "", kTab | WS_BORDER | ES_AUTOHSCROLL, 63, 159, 242, 14},
    {IDC_REMIND, "Button", "&P\xC3\xA5minn om meddelandet", kTab | BS_AUTOCHECKBOX, 63, 182, 120, 10},
    {IDC_NEW, "Button", "&Ny", kTab | BS_PUSHBUTTON, 199, 180, 50, 14},
    {IDC_ADD, "Button", "&L\xC3\xA4gg till", kTab | BS_DEFPUSHBUTTON, 255, 180, 50, 14},
};

// The settings dialog, 239 x 209 dialog units: options on the left with OK
// and Cancel at the top right, the sound and the hotkey below, the default
// message in its group box at the bottom; in tab order.
constexpr DWORD kSpin = kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
constexpr DWORD kNumber = kTab | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL;
const DialogItemTemplate kSettingsItems[] = {
    {IDC_DOALARM, "Button", "&Kontrollera meddelanden", kTab | BS_AUTOCHECKBOX, 7, 7, 160, 10},
    {IDC_DOREMIND, "Button", "&Upprepa p\xC3\xA5minnelse efter:", kTab | BS_AUTOCHECKBOX, 7, 21, 98, 10},
    {IDC_REMINDTIME, "Edit", "", kNumber, 106, 19, 44, 14},
    {IDC_SPIN_REMINDTIME, "msctls_updown32", "", kSpin, 140, 19, 10, 14},
    {IDC_STATIC, "Static", "sekunder.", kChild | SS_LEFT, 153, 21, 30, 8},
    {IDC_STARTMINIMIZED, "Button", "Starta &minimerad", kTab | BS_AUTOCHECKBOX, 7, 36, 140, 10},
    {IDC_PUSHONMINIMIZE, "Button", "K&nuffa fram tider vid minimering", kTab | BS_AUTOCHECKBOX, 7, 48, 140, 10},
    {IDC_VIEWPUSHTIME, "Button", "&Visa \"knufftid\" i listan", kTab | BS_AUTOCHECKBOX, 7, 60, 140, 10},
    {IDC_BLINKONALARM, "Button", "&Blinka med ikon vid p\xC3\xA5minnelse", kTab | BS_AUTOCHECKBOX, 7, 72, 140, 10},
    {IDC_AUTOSAVE, "Button", "Spara &\xC3\xA4ndringar automatiskt", kTab | BS_AUTOCHECKBOX, 7, 84, 140, 10},
    {IDOK, "Button", "OK", kTab | BS_DEFPUSHBUTTON, 185, 7, 47, 14},
    {IDCANCEL, "Button", "Avbryt", kTab | BS_PUSHBUTTON, 185, 24, 47, 14},
    {IDC_AUTOSTART, "Button", "Sta&rta automatiskt...", kTab | BS_PUSHBUTTON, 152, 81, 80, 14},
    {IDC_PLAYSOUND, "Button", "Spela upp &ljudfil:", kTab | BS_AUTOCHECKBOX, 7, 102, 74, 10},
    {IDC_SOUNDFILE, "Edit", "", kTab | WS_BORDER | ES_AUTOHSCROLL, 83, 100, 149, 14},
    {IDC_TESTSOUND, "Button", "T&esta", kTab | BS_PUSHBUTTON, 132, 117, 47, 14},
    {IDC_BROWSESOUND, "Button", "Bl\xC3\xA4"
                                "ddra...",
     kTab | BS_PUSHBUTTON, 185, 117, 47, 14},
    {IDC_STATIC, "Static", "&Snabbkommando: ", kChild | SS_LEFT, 7, 138, 62, 8},
    {IDC_HOTKEY, "msctls_hotkey32", "", kTab | WS_BORDER, 70, 136, 84, 14},
    {IDC_WINDOWSKEY, "Button", "+ &Windowstangenten", kTab | BS_AUTOCHECKBOX, 157, 138, 75, 10},
    {IDC_STATIC, "Button", "St&andardmeddelande", kChild | BS_GROUPBOX, 7, 154, 225, 48},
    {IDC_STATIC, "Static", "&Text:", kChild | SS_LEFT, 14, 167, 22, 8},
    {IDC_DEFAULTTEXT, "Edit", "", kTab | WS_BORDER | ES_AUTOHSCROLL, 37, 165, 80, 14},
    {IDC_STATIC, "Static", "T&idstill\xC3\xA4gg (sek):", kChild | SS_LEFT, 121, 167, 58, 8},
    {IDC_DEFAULTTIMEADD, "Edit", "", kNumber, 180, 165, 46, 14},
    {IDC_SPIN_DEFAULTTIMEADD, "msctls_updown32", "", kSpin, 216, 165, 10, 14},
    {IDC_DEFAULTPUSH, "Button", "Knu&ffa", kTab | BS_AUTOCHECKBOX, 14, 185, 36, 10},
    {IDC_DEFAULTPUSHTIME, "Edit", "", kNumber, 51, 183, 48, 14},
    {IDC_SPIN_DEFAULTPUSHTIME, "msctls_updown32", "", kSpin, 89, 183, 10, 14},
    {IDC_STATIC, "Static", "sek.", kChild | SS_LEFT, 102, 185, 16, 8},
    {IDC_DEFAULTREMIND, "Button", "&P\xC3\xA5minn om meddelandet", kTab | BS_AUTOCHECKBOX, 122, 185, 104, 10},
};

// The About box, 206 x 78 dialog units, positions as the original's.
const DialogItemTemplate kAboutItems[] = {
    {IDC_STATIC, "Static", "#128", kChild | SS_ICON | SS_REALSIZEIMAGE, 7, 7, 20, 20},
    {IDC_STATIC, "Static", "#130", kChild | SS_ICON | SS_REALSIZEIMAGE, 7, 33, 20, 20},
    {IDC_STATIC, "Static", "Talvo 1.20", kChild | SS_NOPREFIX | WS_GROUP, 37, 12, 97, 8},
    {IDC_LINK_WEB, "Static", "https://lindqvarn.example/talvo/", kChild | SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_GROUP,
     37, 38, 80, 8},
    {IDC_LINK_MAIL, "Static", "talvo@lindqvarn.example", kChild | SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_GROUP, 37, 49,
     108, 8},
    {IDC_LINK_README, "Static", "ReadMe-filen.", kChild | SS_NOTIFY | WS_GROUP, 149, 63, 50, 8},
    {IDCANCEL, "Button", "OK", kTab | BS_DEFPUSHBUTTON | WS_GROUP, 149, 7, 50, 14},
    {IDC_STATIC, "Static", "F\xC3\xB6r mer information (hj\xC3\xA4lp och liknande) l\xC3\xA4s i ",
     kChild | SS_RIGHT | WS_GROUP, 7, 63, 142, 8},
};

const DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, "Om Talvo", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, "MS Sans Serif",
     8, 206, 78, kAboutItems},
    {IDD_TALVO_DIALOG, "Talvo", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_APPWINDOW, IDR_MENU,
     "MS Sans Serif", 8, 320, 207, kMainItems},
    {IDD_SETTINGS, "Inst\xC3\xA4llningar", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, "MS Sans Serif", 8,
     239, 209, kSettingsItems},
};

const MenuItemTemplate kFile[] = {
    {"&Nytt meddelande\tF2", ID_FILE_NEWMESSAGE, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&\xC3\x96ppna...\tCtrl+O", ID_FILE_OPEN, 0, {}},
    {"&Spara\tCtrl+S", ID_FILE_SAVE, 0, {}},
    {"Spara so&m...", ID_FILE_SAVEAS, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&Avsluta", ID_FILE_QUIT, 0, {}},
};
const MenuItemTemplate kSortOptions[] = {
    {"&Fallande", ID_SORT_DESCENDING, MF_CHECKED, {}},
    {"S\xC3\xA4tt &markerade meddelande f\xC3\xB6rst", ID_SORT_MARKEDFIRST, MF_CHECKED, {}},
};
const MenuItemTemplate kEdit[] = {
    {"&Ta bort\tDel", ID_EDIT_DELETE, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"Flytta &upp\tF6", ID_EDIT_MOVEUP, 0, {}},
    {"Flytta n&ed\tShift+F6", ID_EDIT_MOVEDOWN, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&S\xC3\xB6k...\tCtrl+F", ID_EDIT_FIND, 0, {}},
    {"S\xC3\xB6k &n\xC3\xA4sta\tF3", ID_EDIT_FINDNEXT, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&Kontrollera nu\tF5", ID_EDIT_CHECKNOW, 0, {}},
    {"Knu&ffa fram tider\tF8", ID_EDIT_PUSHFORWARD, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"Sortera efter t&id\tF4", ID_EDIT_SORTBYTIME, 0, {}},
    {"Sortera i &bokstavsordning\tShift+F4", ID_EDIT_SORTALPHA, 0, {}},
    {"Sorteringsinst\xC3\xA4llnin&gar", 0, MF_POPUP, kSortOptions},
};
const MenuItemTemplate kGoTo[] = {
    {"&N\xC3\xA4sta akutella meddelande\tF7", ID_GOTO_NEXTCURRENT, 0, {}},
    {"&F\xC3\xB6reg\xC3\xA5"
     "ende akutella meddelande\tShift+F7",
     ID_GOTO_PREVCURRENT,
     0,
     {}},
};
const MenuItemTemplate kOptions[] = {
    {"&Kontrollera meddelanden", ID_OPTIONS_CHECKING, MF_CHECKED, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&Inst\xC3\xA4llningar...\tCtrl+I", ID_OPTIONS_SETTINGS, 0, {}},
};
const MenuItemTemplate kHelp[] = {
    {"\xC3\x96ppna &ReadMe-filen...\tF1", ID_HELP_README, 0, {}},
    {nullptr, 0, MF_SEPARATOR, {}},
    {"&Om...", ID_HELP_ABOUT, 0, {}},
};
const MenuItemTemplate kBar[] = {
    {"&Arkiv", 0, MF_POPUP, kFile},
    {"&Redigera", 0, MF_POPUP, kEdit},
    {"&G\xC3\xA5 till", 0, MF_POPUP, kGoTo},
    {"Alternati&v", 0, MF_POPUP, kOptions},
    {"&Hj\xC3\xA4lp", 0, MF_POPUP, kHelp},
};
const MenuTemplate kMenus[] = {{IDR_MENU, kBar}};

constexpr BYTE V = FVIRTKEY;
const AccelTemplate kAccel[] = {
    {V | FCONTROL, WORD('F'), WORD(ID_EDIT_FIND)},
    {V | FCONTROL, WORD('I'), WORD(ID_OPTIONS_SETTINGS)},
    {V | FCONTROL, WORD('O'), WORD(ID_FILE_OPEN)},
    {V | FCONTROL, WORD('S'), WORD(ID_FILE_SAVE)},
    {V, WORD(VK_F1), WORD(ID_HELP_README)},
    {V, WORD(VK_F2), WORD(ID_FILE_NEWMESSAGE)},
    {V, WORD(VK_F3), WORD(ID_EDIT_FINDNEXT)},
    {V, WORD(VK_F4), WORD(ID_EDIT_SORTBYTIME)},
    {V | FSHIFT, WORD(VK_F4), WORD(ID_EDIT_SORTALPHA)},
    {V, WORD(VK_F5), WORD(ID_EDIT_CHECKNOW)},
    {V, WORD(VK_F6), WORD(ID_EDIT_MOVEUP)},
    {V | FSHIFT, WORD(VK_F6), WORD(ID_EDIT_MOVEDOWN)},
    {V, WORD(VK_F7), WORD(ID_GOTO_NEXTCURRENT)},
    {V | FSHIFT, WORD(VK_F7), WORD(ID_GOTO_PREVCURRENT)},
    {V, WORD(VK_F8), WORD(ID_EDIT_PUSHFORWARD)},
};
const AccelTableTemplate kAccels[] = {{IDR_ACCELERATOR, kAccel}};

const StringTemplate kStrings[] = {
    {AFX_IDS_APP_TITLE, "Talvo"},
    {IDS_ABOUTBOX, "&Om Talvo..."},
    {IDS_ADD, "L&\xC3\xA4gg till"},
    {IDS_CHANGE, "&\xC3\x84ndra"},
    // The ReadMe ships under this name beside the program; file names keep
    // their case here.
    {IDS_URL, "URL:https://lindqvarn.example/talvo/"},
    {IDS_MAILTO, "mailto:talvo@lindqvarn.example"},
    {IDS_README, "ReadMe.txt"},
    {IDS_ASK_QUIT, "Vill du verkligen avsluta? Om du blir irriterad av ett meddelande \xC3\xA4r det b\xC3\xA4ttre att "
                   "st\xC3\xA4nga av det meddelandet \xC3\xA4n att st\xC3\xA4nga av programmet."},
    {IDS_ASK_DELETE, "%d meddelanden kommer att raderas. Vill du forts\xC3\xA4tta?"},
    {IDS_TIP_ON, "Programmet kommer att p\xC3\xA5minna om meddelanden."},
    {IDS_TIP_OFF, "Programmet kommer inte att p\xC3\xA5minna om meddelanden."},
    {IDS_TIP_DUE, "Det finns %d meddelanden att l\xC3\xA4sa."},
    {IDS_DEFAULT_EXT, "tlv"},
    {IDS_SHORTCUT_NAME, "Talvo.lnk"},
    {IDS_FILE_FILTER, "Talvofil|*.tlv|Alla filer (*.*)|*.*||\n "},
    {IDS_NOT_FOUND, "Det g\xC3\xA5r inte att hitta \"%s\"."},
    {IDS_HOTKEY_FAILED, "Det snabbkommando som du angav i inst\xC3\xA4llningarna kunde inte anv\xC3\xA4ndas (det \xC3\xA4r "
                        "f\xC3\xB6rmodligen upptaget av ett annat program)."},
    {IDS_LOAD_FAILED, "Det gick inte att l\xC3\xA4sa filen \"%s\". Om du v\xC3\xA4ljer att spara eller att st\xC3\xA4nga av "
                      "programmet kommer filen att skrivas \xC3\xB6ver. F\xC3\xB6r att undvika detta, spara med ett annat "
                      "namn."},
    {IDS_README_FAILED, "Det gick inte att \xC3\xB6ppna ReadMe-filen."},
    {IDS_TIMER_FAILED, "Det gick inte att starta en timer f\xC3\xB6r programmet. Detta inneb\xC3\xA4r att dina meddelanden "
                       "inte kommer att kontrolleras automatiskt. St\xC3\xA4ng av ett eller flera program och prova igen."},
    {IDS_NO_MORE_CURRENT, "Det gick inte att hitta mer meddelanden som ska p\xC3\xA5minnas om nu."},
    {IDS_SAVE_FAILED, "Det uppstod ett fel n\xC3\xA4r filen \"%s\" skulle sparas. Vill du forts\xC3\xA4tta?"},
    {IDS_SHORTCUT_FAILED, "Det gick inte att skapa en genv\xC3\xA4g i Start-menyn till programmet."},
    // The command line's texts; %s in the usage is the program's name.
    {IDS_CMDLINE_USAGE, "Anv\xC3\xA4ndning: %s [FLAGGA]... [--] [LISTA]\n"
                        "P\xC3\xA5minner om meddelandena i listan LISTA, en .tlv-fil. Utan LISTA \xC3\xB6ppnas\n"
                        "listan som anv\xC3\xA4ndes senast, annars standardlistan.\n\n"
                        "  -h, --help     visa den h\xC3\xA4r hj\xC3\xA4lpen och avsluta\n"
                        "      --version  visa programmets namn och version och avsluta\n"
                        "  --             det som f\xC3\xB6ljer \xC3\xA4r listans namn, \xC3\xA4ven om det b\xC3\xB6rjar med -\n"},
    {IDS_CMDLINE_UNKNOWN, "Ok\xC3\xA4nd flagga \"%s\"."},
    {IDS_CMDLINE_FOLDER, "\"%s\" \xC3\xA4r en mapp. Ange en lista, en .tlv-fil."},
    {IDS_CMDLINE_MANY, "Talvo \xC3\xB6ppnar en lista i taget, men b\xC3\xA5"
                       "de \"%s\" och \"%s\" finns. Ange en av dem, eller ett namn med blanksteg inom citattecken."},
    {IDS_VERSION, "Talvo 1.20"},
    {IDS_MERGE_KEPT_BOTH, "Listan \xC3\xA4ndrades ocks\xC3\xA5 av ett annat program. Ett meddelande som \xC3\xA4ndrats "
                          "p\xC3\xA5 b\xC3\xA5"
                          "da st\xC3\xA4llena finns nu i b\xC3\xA5"
                          "da versionerna: ta bort den du inte vill ha."},
    {IDS_LIST_HELD, "\"%s\" \xC3\xA4r redan \xC3\xB6ppen i ett annat Talvo, som nu visas. Listan h\xC3\xA4r \xC3\xA4r "
                    "of\xC3\xB6r\xC3\xA4ndrad."},
    {IDS_NOT_ANSWERING, "Talvo \xC3\xA4r redan ig\xC3\xA5ng med \"%s\" men svarar inte. Avsluta det andra Talvo och "
                        "f\xC3\xB6rs\xC3\xB6k igen."},
    {IDS_ASK_SHORTCUT, "Det kommer att l\xC3\xA4ggas en genv\xC3\xA4g till programmet i en mapp p\xC3\xA5 Startmenyn s\xC3\xA5 "
                       "att programmet kommer att startas automatiskt. Vill du forts\xC3\xA4tta?\r\n\r\nGenv\xC3\xA4gen som "
                       "kommer att skapas \xC3\xA4r \"%s\", denna \xC3\xA4r l\xC3\xA4nkad \"%s\"."},
    {IDS_SHORTCUT_CREATED, "En genv\xC3\xA4g har skapats i Start-menyn. Om du inte vill att programmet ska startas "
                           "automatiskt, tar du bort genv\xC3\xA4gen."},
    {IDS_DEFAULT_SOUND, "talvo.wav"},
    {IDS_SOUND_FILTER, "Ljudfiler|*.wav|Alla filer (*.*)|*.*||\n "},
    {IDS_SOUND_FAILED, "Det gick inte att spela upp ljudfilen."},
    {IDS_COLUMN_TIME, "Tid"},
    {IDS_COLUMN_TEXT, "Meddelande"},
};

const ImageTemplate kIcons[] = {
    {IDR_MAINFRAME, "svg", kIconProgram},
    {IDI_ABOUT, "svg", kIconMaker},
    {IDI_TRAY_ON, "svg", kIconTrayOn},
    {IDI_TRAY_ALARM, "svg", kIconTrayAlarm},
    {IDI_TRAY_OFF, "svg", kIconTrayOff},
};

// Image 0 is empty, image 1 the alarm symbol of a due row.
const ImageTemplate kBitmaps[] = {
    {IDB_LISTICONS, "svg", kBitmapListIcons},
};

const ResourceTables kTables = {kDialogs, kMenus, kAccels, kStrings, kIcons, kBitmaps};

}  // namespace

const ResourceTables& TalvoResourceTables() { return kTables; }
