#include "uninstaller/UninstallerCommand.h"

#include "NoCrtLib/AnsiCodec.h"

#include <algorithm>

namespace {

const unsigned kFlags = CmdLine::ProductSyntax;

[[noreturn]] void Fail(const std::string& text) { throw CmdLine::Err(AnsiToWide(text)); }

void ReadHandle(CmdLine& commandLine, const char16_t* name, bool& given, std::uint32_t& value) {
    std::u16string text;
    given = commandLine.Value(name, true, text);
    if (!given) return;
    if (!UninstallerCommand::ParseHandleValue(text, value) || value == 0)
        Fail("Invalid handle value in '-" + WideToAnsi(name) + "=" + WideToAnsi(text) + "'.");
}

}  // namespace

UninstallerCommand::UninstallerCommand(const std::u16string& commandLine) : m_text(commandLine) {
    CmdLine cmd(commandLine, kFlags);
    const auto& args = cmd.Args();
    const auto& positionals = cmd.Positionals();
    if (!positionals.empty())
        m_argumentsBegin = std::min<std::size_t>(args[positionals[0]].end, m_text.size());

    m_unattended = cmd.Flag(u"unat", true);
    bool hasResult = false;
    bool hasDone = false;
    ReadHandle(cmd, u"result", hasResult, m_resultHandle);
    ReadHandle(cmd, u"done", hasDone, m_doneHandle);
    std::u16string copyMarker;
    if (cmd.Value(u"tempCopy", true, copyMarker)) {
        m_tempCopy = true;
        if (!ParseHandleValue(copyMarker, m_originalProcess))
            Fail("Invalid handle value in '-tempCopy=" + WideToAnsi(copyMarker) + "'.");
    }
    bool hasCopyResult = false;
    bool hasCopyDone = false;
    ReadHandle(cmd, u"copyResult", hasCopyResult, m_copyResultHandle);
    ReadHandle(cmd, u"copyDone", hasCopyDone, m_copyDoneHandle);
    std::u16string originalFile;
    const bool hasOriginalFile = cmd.Value(u"originalFile", true, originalFile) && !originalFile.empty();
    m_originalFile = WideToAnsi(originalFile);

    // Every word and option that was not understood, in the command-line parser's texts.
    std::string errors;
    auto add = [&errors](const std::string& item) {
        if (!errors.empty()) errors += '\n';
        errors += item;
    };
    for (std::size_t i = 2; i < positionals.size(); ++i)
        add("Invalid command option: " + WideToAnsi(args[positionals[i]].text) + ".");
    for (std::size_t index : cmd.Options()) {
        const CmdLine::Arg& arg = args[index];
        if (arg.taken) continue;
        std::string item = "Invalid command parameter: -" + WideToAnsi(arg.text);
        if (arg.hasValue) item += "=" + WideToAnsi(arg.value);
        add(item + ".");
    }
    if (positionals.size() < 2) add("Missing the name of the uninstall key.");
    if (hasResult != hasDone) add("'-result=' and '-done=' must be given together.");
    const bool copyAnswer = hasCopyResult || hasCopyDone || hasOriginalFile;
    if (copyAnswer && !(hasCopyResult && hasCopyDone && hasOriginalFile && m_tempCopy))
        add("'-copyResult=', '-copyDone=', '-originalFile=' and '-tempCopy=' must be given together.");
    if (!errors.empty()) Fail(errors);
    m_originalWaits = copyAnswer;

    m_keyName = WideToAnsi(args[positionals[1]].text);
    m_handshake = hasResult && hasDone;
}

std::u16string UninstallerCommand::TempCopyCommandLine(const std::u16string& copyPath, std::uint32_t originalProcess,
                                                       const Answer* answer) const {
    std::u16string line = u"\"" + copyPath + u"\"" + m_text.substr(m_argumentsBegin) + u" -tempCopy=" +
                          FormatHandleValue(originalProcess);
    // Paths hold no double quotes and never end in a backslash, so quoting is enough.
    if (answer)
        line += u" -copyResult=" + FormatHandleValue(answer->resultHandle) + u" -copyDone=" +
                FormatHandleValue(answer->doneHandle) + u" \"-originalFile=" + answer->originalFile + u"\"";
    return line;
}

bool UninstallerCommand::ParseHandleValue(const std::u16string& text, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    std::uint32_t result = 0;
    for (char16_t c : text) {
        std::uint32_t digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else return false;
        result = result * 16 + digit;
    }
    value = result;
    return true;
}

std::u16string UninstallerCommand::FormatHandleValue(std::uint32_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789abcdef"[value % 16]);
        value /= 16;
    } while (value != 0);
    return digits;
}

std::string UninstallerCommand::Usage() {
    return "Usage: uninst.exe <uninstall key name> [-unat] [-result=<handle> -done=<handle>]\n"
           "  -unat     remove without asking; report on the console only\n"
           "  -result=  -done=  inherited handles (hexadecimal) of a 4-byte shared memory\n"
           "            block and an event through which the result is handed back";
}
