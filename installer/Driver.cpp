#include "installer/Driver.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/MarkedAnsi.h"
#include "NoCrtLib/SilentExit.h"
#include "NoCrtLib/CmdLine.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "ui/Prompt.h"


std::string FolderAsTyped(const std::u16string& typed) { return AnsiWithCodePoints(typed); }

void ReadUnattendedOptions(CmdLine& commandLine, RunFlags& flags) {
    InstallOptions& options = Options();
    if (commandLine.HelpRequested()) throw SilentExit(ExitHelp);
    options.force = commandLine.Flag(u"force", true);
    options.noRollback = commandLine.Flag(u"noRollback", true);
    options.acceptEULA = commandLine.Flag(u"acceptEULA", true);
    std::u16string dir;
    if (!commandLine.Value(u"installDir", true, dir) || dir.empty())
        throw CmdLine::Err(AnsiToWide(std::string("Missing '-installDir'") + " parameter."));
    if (!WideToAnsiExact(dir, options.installDir)) options.unrepresentableInstallDir = FolderAsTyped(dir);
    if (commandLine.Flag(u"installForMeOnly", true)) flags.installForAllUsers = false;
    if (commandLine.Flag(u"noDesktopIcon", true)) flags.createDesktopIcon = false;
    commandLine.CheckAllTaken(false);
}

void RequireEulaAcceptance() {
    if (Options().acceptEULA) return;
    ConsoleErrorLine("Missing -acceptEULA parameter to indicate your acceptance of the Quarnelix");
    ConsoleErrorLine("End-User License Agreement. Please run this installer without parameters to");
    ConsoleErrorLine("read the EULA, then supply -acceptEULA for unattended installation.");
    throw SilentExit(ExitEulaNotAccepted);
}

namespace {
int ReportError(const std::string& text, const char* caption) {
    ConsoleLine(text);
    if (Options().interactive)
        Prompt::ShowBox(text, caption, Prompt::ErrorStyle);
    else
        ConsoleLine(text);  // Callers and documentation expect the line twice in unattended mode.
    return ExitError;
}
}  // namespace

int ReportRunFailure(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const SilentExit& e) {
        return e.Code();
    } catch (const CmdLine::Err& e) {
        ConsoleLine(std::string(e.what()) + "\n");
        return ExitBadCommandLine;
    } catch (const InstallError& e) {
        return ReportError(std::string("Installation error: ") + e.what(), "Installation Error");
    } catch (const std::exception& e) {
        return ReportError(std::string("std::exception caught: ") + e.what(), "Exception");
    } catch (...) {
        return ReportError("Unrecognized exception caught", "Exception");
    }
}

int FinishRun(int exitCode) {
    if (exitCode == ExitHelp || exitCode == ExitBadCommandLine) ConsoleLine(UsageBanner());
    return exitCode;
}
