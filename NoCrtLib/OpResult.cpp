#include "NoCrtLib/OpResult.h"

#include "NoCrtLib/WinErrorMessage.h"

bool WinResult::Succeeded() const { return Code() == 0; }

std::u16string WinResult::Description() const { return AnsiToWide(WinErrorMessage(Code())); }

std::u16string WinResult::Kind() const { return u"Windows"; }

bool ComResult::Succeeded() const { return Code() >= 0; }

std::u16string ComResult::Description() const {
    struct Entry {
        uint32_t code;
        const char16_t* text;
    };
    static const Entry table[] = {
        {0x00000000u, u"Success."},
        {0x00000001u, u"Partial success."},
        {0x80004002u, u"Interface not supported error."},
        {0x80004003u, u"Pointer not valid error."},
        {0x80004004u, u"Operation aborted error."},
        {0x80004005u, u"Unspecified error."},
        {0x8000FFFFu, u"Catastrophic failure error."},
        {0x800401E5u, u"The object identified by this moniker could not be found."},
        {0x80070005u, u"General access denied error."},
        {0x80070006u, u"Handle not valid error."},
        {0x80070057u, u"One or more arguments are not valid error."},
    };
    const auto code = static_cast<uint32_t>(Code());
    for (const Entry& e : table) {
        if (e.code == code) return e.text;
    }
    return {};
}

std::u16string ComResult::Kind() const { return u"COM"; }
