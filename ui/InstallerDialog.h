#pragma once
// The installer dialog of interactive mode (template 103): the licence agreement, the
// agreement box, the installation folder, three options, Install or Cancel; from it
// the package-contents window and the product web page.
#include <functional>
#include <string>

// The driver's choices, handed to the dialog as references in this order.
struct InstallChoices {
    bool& accepted;                     // the agreement box; written on Install
    std::string& folder;                // the folder edit; written on Install and when the browser opens
    bool& allUsers;                     // "Install for all users"; written on Install
    bool& desktopIcon;                  // "Create a desktop icon"; written on Install
    bool& runWhenDone;                  // "Run Quarnelix when done"; written on Install
    const std::string& installCaption;  // the Install button's text: "Install", "Upgrade" or "Replace"
    // On Install, given the folder text: true (the folder possibly rewritten) ends the
    // dialog; false, after the callback told the user why, keeps it open with the folder
    // selected. Empty: every folder is taken.
    std::function<bool(std::string& folder)> acceptFolder = {};
};

// What runInstallerDialog returns.
constexpr int kInstallerDialogInstall = 1;  // Install
constexpr int kInstallerDialogCancel = 2;   // Cancel button, Esc, close box

// The installer dialog's controls.
enum InstallerDialogControl : int {
    IdcInstall = 1,  // IDOK
    IdcCancel = 2,   // IDCANCEL
    IdcFolderEdit = 1001,
    IdcWebLink = 1002,
    IdcLicenceText = 1005,
    IdcAgreement = 1006,
    IdcFolderLink = 1007,
    IdcPackageLink = 1008,
    IdcMiddleSeparator = 1009,
    IdcBottomSeparator = 1010,
    IdcAllUsers = 1011,
    IdcDesktopIcon = 1012,
    IdcRunWhenDone = 1013,
    IdcTopSeparator = 1014,
};

// The package-contents window tells its owner that it is gone (wParam and lParam 0).
constexpr unsigned WM_PACKAGE_CLOSED = 0x0401;  // WM_USER + 1

// The folder text is cut to this many characters on Install (a 261-byte buffer).
constexpr unsigned kInstallerFolderLimit = 260;

// Loads the rich edit library and runs the modal dialog without owner. Returns
// kInstallerDialogInstall or kInstallerDialogCancel. Errors (the library, a missing
// resource, a dialog that cannot be created) leave as exceptions with their texts.
int runInstallerDialog(InstallChoices& choices);

// The product web page: target and tooltip of the web link.
inline constexpr const char* ProductWebPage = "http://www.arvendo.com/quarnelix/";
