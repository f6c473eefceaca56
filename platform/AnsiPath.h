#pragma once
// ANSI names for paths the system gives in UTF-16. The programs use the ANSI file
// functions, but a folder they did not choose (the temporary folder in a user profile)
// may have a name the ANSI code page cannot hold; its short (8.3) name, which is ASCII,
// then names the same folder.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class AnsiPath {
public:
    // what() is the finished text; Code() the Windows error, 0 when the path has no ANSI name.
    class Err : public std::runtime_error {
    public:
        Err(const std::string& text, std::uint32_t code);
        std::uint32_t Code() const;

    private:
        std::uint32_t m_code;
    };

    // The short form of a path, "" when there is none.
    using ShortForm = std::function<std::u16string(const std::u16string&)>;

    // The path in ANSI when every character converts exactly, else its short form when
    // that does; else Err "The <what> '<path, ? for the characters without an ANSI
    // form>' has no name the ANSI code page can hold".
    static std::string Choose(const std::u16string& path, const ShortForm& shortForm, const std::string& what);

    // The temporary folder, ending in a backslash: GetTempPathW on the NT family, whose
    // answer GetTempPathA would garble, GetTempPathA on 9x. Err "GetTempPathW() failed:
    // <Windows error text>" when the system gives no folder (or one longer than MAX_PATH).
    static std::string TempFolder();
    // This program's own file (GetModuleFileNameW, GetModuleFileNameA on 9x), for a
    // program started from such a folder. Err as TempFolder's.
    static std::string OwnModule();
};
