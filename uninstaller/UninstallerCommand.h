#pragma once
// The uninstaller's command line:
//   uninst.exe <uninstall key name> [-unat] [-result=<hex handle> -done=<hex handle>]
// "-unat" asks nothing and reports on the console only; "-result=" and "-done=" name the
// inherited 4-byte mapping and event through which the result is handed back when the
// work goes on in another process. The private "-tempCopy=" marks the temporary copy
// that does the work for an uninstaller started from the installation folder; its value
// is the inherited handle of that original process to wait for, 0 when it waits for us.
#include "installer/CmdLine.h"

#include <cstdint>
#include <string>

class UninstallerCommand {
public:
    // Throws CmdLine::Err with the finished text for a command line that is not of this
    // form (no key name, a stray word, an unknown option, a bad or lone handle value).
    explicit UninstallerCommand(const std::u16string& commandLine);

    const std::string& KeyName() const { return m_keyName; }
    bool Unattended() const { return m_unattended; }
    bool HasHandshake() const { return m_handshake; }
    std::uint32_t ResultHandle() const { return m_resultHandle; }
    std::uint32_t DoneHandle() const { return m_doneHandle; }
    bool IsTempCopy() const { return m_tempCopy; }
    std::uint32_t OriginalProcess() const { return m_originalProcess; }

    // The command line for the temporary copy: its quoted path, every argument this one was
    // given (exactly as typed), and the marker with the original's process handle (0: none).
    std::u16string TempCopyCommandLine(const std::u16string& copyPath, std::uint32_t originalProcess) const;

    // Hexadecimal digits (either case, no prefix, at most 8) as a handle value.
    static bool ParseHandleValue(const std::u16string& text, std::uint32_t& value);
    // Lower-case hexadecimal without prefix or leading zeros, as the installer writes it.
    static std::u16string FormatHandleValue(std::uint32_t value);

    // The usage lines for a command line error.
    static std::string Usage();

private:
    std::u16string m_text;
    std::size_t m_argumentsBegin = 0;
    std::string m_keyName;
    bool m_unattended = false;
    bool m_handshake = false;
    std::uint32_t m_resultHandle = 0;
    std::uint32_t m_doneHandle = 0;
    bool m_tempCopy = false;
    std::uint32_t m_originalProcess = 0;
};
