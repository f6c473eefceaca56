#include "installer/Installation.h"

#include "NoCrtLib/Console.h"
#include "installer/InstallOptions.h"
#include "installer/Preflight.h"
#include "installer/Product.h"
#include "installer/SearchPath.h"
#include "installer/actions/FileAssocAction.h"
#include "installer/actions/PackageStream.h"
#include "installer/actions/RunRecord.h"
#include "installer/actions/ShortcutAction.h"
#include "installer/actions/TargetDirAction.h"
#include "installer/actions/TargetFileAction.h"
#include "installer/actions/UninstallParams.h"
#include "installer/actions/UninstallRegAction.h"
#include "installer/actions/WriteFilesFromLzmaStream.h"
#include "platform/Handles.h"
#include "platform/ShellFolders.h"
#include "platform/WindowsVersionInfo.h"
#include "resources/resource.h"
#include "ui/Prompt.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace {

const std::string Q = "\"";

std::string Version() { return ProductVersion; }

std::string MainDescription() {
    return std::string(ProductFullName) + " " + Version() +
           " - a general-purpose SSH client: supports tunneling (manual and via integrated proxy), "
           "SFTP file transfer, bridging of FTP clients to SFTP, remote console access and remote "
           "administration of Dorvask.";
}

// One Start-menu or desktop shortcut of the product.
std::unique_ptr<ShortcutAction> Shortcut(const std::string& folder, const char* link, const std::string& target,
                                         const std::string& arguments, const std::string& description,
                                         int iconIndex) {
    return std::make_unique<ShortcutAction>(JoinPath(folder, link), target, arguments, Options().installDir,
                                            description, "", iconIndex);
}

}  // namespace

void InstallProduct(const RunFlags& flags, RunRecord& record, std::unique_ptr<PackageStream> package) {
    InstallOptions& options = Options();
    const std::string& dir = options.installDir;
    options.UninstallParams = Q + "-shareResWith=" + SiblingProductName + Q;
    options.uninstallerPath = JoinPath(dir, "uninst.exe");
    options.mainProgramPath = JoinPath(dir, "quarnelix.exe");

    // Every action built from here on registers with the journal, which commits them all.
    ActionJournal journal;
    // Declared in creation order: leaving this block by an exception destroys them
    // newest first, which is the rollback.
    TargetDirAction installFolder(dir);
    WriteFilesFromLzmaStream packageFiles;
    packageFiles.Extract(package->decoder, dir,
                         PackageFileNames(LoadStreamFacts(), WindowsVersionInfo().WindowsVersion().a));
    package.reset();   // its dictionary is not kept while the shell's libraries load
    TargetFileAction uninstaller(IDR_UNINSTALLER, "");

    std::string startMenu = JoinPath(
        KnownShellFolder(flags.installForAllUsers ? CommonProgramsFolder() : ProgramsFolder(), "Start menu"),
        ProductFullName);
    TargetDirAction startMenuFolder(startMenu);
    const std::string mainProgram = JoinPath(dir, "quarnelix.exe");
    const std::string netprefs = JoinPath(dir, "netprefs.exe");
    auto mainShortcut = Shortcut(startMenu, "Quarnelix.lnk", mainProgram, "", MainDescription(), 0);
    auto proxyShortcut = Shortcut(startMenu, "Proxy Settings.lnk", netprefs, "-proxy",
        "Arvendo Global Proxy Settings - manages your SOCKS or HTTP proxy settings for establishing "
        "outgoing SSH connections.", 0);
    auto hostKeyShortcut = Shortcut(startMenu, "Host Key Manager.lnk", netprefs, "-hostkeys",
        "Arvendo Global Host Key Management - manages the list of SSH server host keys that you trust.", 1);
    auto keypairShortcut = Shortcut(startMenu, "Keypair Manager.lnk", netprefs, "-keypairs",
        "Arvendo Global Keypair Management - manages your SSH user authentication keypairs.", 2);
    auto uninstallShortcut = Shortcut(startMenu, "Uninstall Quarnelix.lnk", options.uninstallerPath,
        ProductShortName, "Uninstall Arvendo Quarnelix " + Version() + ".", 0);
    std::unique_ptr<ShortcutAction> desktopShortcut;
    if (flags.createDesktopIcon)
        desktopShortcut = Shortcut(
            KnownShellFolder(flags.installForAllUsers ? CommonDesktopFolder() : DesktopFolder(), "desktop"),
            "Quarnelix.lnk", mainProgram, "", MainDescription(), 0);

    // Callers and documentation match these exact commands, "Quarnelix.exe" and "Srvprefs.exe"
    // capitalised unlike the other names, so they must not be corrected.
    const std::string openCommand = Q + JoinPath(dir, "Quarnelix.exe") + Q + " -profile=" + Q + "%1" + Q;
    FileAssocAction profileAssociation("Arvendo.Quarnelix." + Version() + ".Profile", ".qxp",
        "Arvendo Quarnelix profile file", JoinPath(dir, "quarnelix.exe,1"),
        {{"Open", openCommand}, {"Connect", openCommand + " -connectOnStartup"}});
    FileAssocAction settingsAssociation("Arvendo.Quarnelix." + Version() + ".Settings", ".dvs",
        "Arvendo Dorvask settings file", JoinPath(dir, "srvprefs.exe,3"),
        {{"Manage", Q + JoinPath(dir, "Srvprefs.exe") + Q + " " + Q + "%1" + Q}});
    AppendUninstallParam("rstFileAssoc", ".dvs:Arvendo.Quarnelix." + Version() + ".Settings");

    UninstallRegAction registration(ProductShortName,
        std::string(ProductFullName) + " " + Version() + " (remove only)", Version());

    AddToSearchPath(dir, flags.installForAllUsers);
    SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);

    record.MarkCommitted();
    journal.CommitAll();

    const std::string completed = std::string(ProductFullName) + " " + Version() + " installation completed";
    if (options.interactive) {
        Prompt::ShowBox(completed + ".\n", "Installation Completed", Prompt::InformationStyle);
        if (flags.runWhenDone) LaunchProduct();
    }
    ConsoleLine(completed);
}

void LaunchProduct() {
    std::string command = Q + JoinPath(Options().installDir, "quarnelix.exe") + Q;
    char buffer[262] = {};
    command.copy(buffer, 261);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, buffer, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        // Not waited for: the handles go at once, the thread's first.
        KernelHandle child(process.hProcess);
        KernelHandle thread(process.hThread);
    }
}
