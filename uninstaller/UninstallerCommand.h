#pragma once
// The uninstaller's command line:
//   uninst.exe <uninstall key name> [-unat] [-result=<hex handle> -done=<hex handle>]
// "-unat" asks nothing and reports on the console only; "-result=" and "-done=" name the
// inherited mapping (platform/HandshakeBlock.h) and event through which the result is
// handed back when the work goes on in another process. The private "-tempCopy=" marks
// the temporary copy that does the work for an uninstaller started from the installation
// folder; its value is the inherited handle of that original process. When the original
// waits for the copy's answer instead of exiting at once, the copy also gets
// "-copyResult=" and "-copyDone=" (the original's own mapping and event, used as in the
// handshake) and "-originalFile=" (the original's file, which the copy moves out of the
// folder).
#include "NoCrtLib/CmdLine.h"

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
    // A copy whose original waits for the answer given through these handles.
    bool OriginalWaits() const { return m_originalWaits; }
    std::uint32_t CopyResultHandle() const { return m_copyResultHandle; }
    std::uint32_t CopyDoneHandle() const { return m_copyDoneHandle; }
    const std::string& OriginalFile() const { return m_originalFile; }

    // What a waiting original tells its copy.
    struct Answer {
        std::uint32_t resultHandle;
        std::uint32_t doneHandle;
        std::u16string originalFile;
    };

    // The command line for the temporary copy: its quoted path, every argument this one was
    // given (exactly as typed), and the marker with the original's process handle (0: none),
    // then for a waiting original the answer's handles and its file.
    std::u16string TempCopyCommandLine(const std::u16string& copyPath, std::uint32_t originalProcess,
                                       const Answer* answer = nullptr) const;

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
    bool m_originalWaits = false;
    std::uint32_t m_copyResultHandle = 0;
    std::uint32_t m_copyDoneHandle = 0;
    std::string m_originalFile;
};
