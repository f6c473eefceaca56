// The installer dialog's resources as the executable carries them (dialog.rc, built
// into this test program too): the extended template 103 field by field, the two
// NUL-terminated documents and the two 16-colour icons, all in language 1033.
#include "ui/DialogTemplateBuffer.h"
#include "ui/PackageContentsWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::string Resource(const char* type, int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kEnglishUs);
    if (!found) return std::string();
    HGLOBAL loaded = LoadResource(module, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return std::string(data, SizeofResource(module, found));
}

// Reads a DLGTEMPLATEEX from the front.
class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : m_bytes(bytes) {}

    std::uint16_t Word() {
        std::uint16_t v = 0;
        Take(&v, 2);
        return v;
    }
    std::uint32_t Dword() {
        std::uint32_t v = 0;
        Take(&v, 4);
        return v;
    }
    std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
    std::uint8_t Byte() {
        std::uint8_t v = 0;
        Take(&v, 1);
        return v;
    }
    // A string field, or "#<ordinal>" for 0xFFFF and an ordinal.
    std::string Field() {
        std::uint16_t first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text;
        for (std::uint16_t c = first; c != 0; c = Word()) text += static_cast<char>(c < 0x80 ? c : '?');
        return text;
    }
    void AlignDword() { m_offset = (m_offset + 3) & ~static_cast<size_t>(3); }
    void Skip(size_t n) { m_offset += n; }
    bool Overrun() const { return m_overrun; }
    size_t Offset() const { return m_offset; }

private:
    void Take(void* out, size_t n) {
        if (m_offset + n > m_bytes.size()) {
            m_overrun = true;
            std::memset(out, 0, n);
            m_offset = m_bytes.size();
            return;
        }
        std::memcpy(out, m_bytes.data() + m_offset, n);
        m_offset += n;
    }
    const std::string& m_bytes;
    size_t m_offset = 0;
    bool m_overrun = false;
};

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Predefined classes may be stored by name or as their ordinal.
std::string ClassName(const std::string& field) {
    if (field == "#128") return "button";
    if (field == "#129") return "edit";
    if (field == "#130") return "static";
    return Lower(field);
}

TEST(InstallerDialogResources, TemplateHoldsTheFourteenControlsInTabOrder) {
    const std::string bytes = Resource(MAKEINTRESOURCEA(5), 103);  // RT_DIALOG
    ASSERT_FALSE(bytes.empty()) << "no dialog 103 in language 1033";
    TemplateReader r(bytes);
    EXPECT_EQ(r.Word(), 1);       // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF);  // extended template
    EXPECT_EQ(r.Dword(), 0u);     // help id
    EXPECT_EQ(r.Dword(), 0x40000u);
    EXPECT_EQ(r.Dword(), 0x92CD0040u);
    const std::uint16_t count = r.Word();
    EXPECT_EQ(count, 14);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 250);
    EXPECT_EQ(r.Short(), 262);
    EXPECT_EQ(r.Field(), "");  // no menu
    EXPECT_EQ(r.Field(), "");  // default class
    EXPECT_EQ(r.Field(), "Arvendo Quarnelix Installer");
    EXPECT_EQ(r.Word(), 8);  // point size
    EXPECT_EQ(r.Word(), 0);  // weight
    EXPECT_EQ(r.Byte(), 0);  // italic
    EXPECT_EQ(r.Byte(), 1);  // character set
    EXPECT_EQ(r.Field(), "MS Sans Serif");

    struct Control {
        int id;
        const char* className;
        const char* text;
        short x, y, cx, cy;
        std::uint32_t style, exStyle;
    };
    const Control expected[] = {
        {1008, "static", "What's in the package", 7, 7, 91, 10, 0x50010200, 0},
        {1002, "static", "Visit the Quarnelix web page", 149, 7, 94, 10, 0x50010300, 0x1000},
        {1014, "static", "", 1, 23, 249, 1, 0x50000010, 0},
        {1005, "richedit20a", "EULA", 7, 31, 236, 124, 0x50200804, 0x20000},
        {1006, "button", "I agree to accept all the terms of this License Agreement", 7, 160, 236, 10, 0x50010003, 0},
        {1009, "static", "", 1, 177, 249, 1, 0x50000010, 0},
        {1007, "static", "Installation Folder", 7, 185, 63, 10, 0x50010200, 0},
        {1001, "edit", "", 87, 184, 156, 12, 0x50810080, 0},
        {1011, "button", "Install for all users", 7, 201, 73, 10, 0x50010003, 0},
        {1012, "button", "Create a desktop icon", 87, 201, 83, 10, 0x50010003, 0},
        {1013, "button", "Run Quarnelix when done", 7, 216, 97, 10, 0x50010003, 0},
        {1, "button", "Install", 62, 241, 60, 14, 0x50010001, 0},
        {2, "button", "Cancel", 127, 241, 60, 14, 0x50010000, 0},
        {1010, "static", "", 1, 233, 249, 1, 0x50000010, 0},
    };
    for (size_t i = 0; i < count && i < sizeof expected / sizeof expected[0]; ++i) {
        const Control& c = expected[i];
        SCOPED_TRACE(c.id);
        r.AlignDword();
        EXPECT_EQ(r.Dword(), 0u);  // help id
        EXPECT_EQ(r.Dword(), c.exStyle);
        EXPECT_EQ(r.Dword(), c.style);
        EXPECT_EQ(r.Short(), c.x);
        EXPECT_EQ(r.Short(), c.y);
        EXPECT_EQ(r.Short(), c.cx);
        EXPECT_EQ(r.Short(), c.cy);
        EXPECT_EQ(r.Dword(), static_cast<std::uint32_t>(c.id));
        EXPECT_EQ(ClassName(r.Field()), c.className);
        EXPECT_EQ(r.Field(), c.text);
        r.Skip(r.Word());  // creation data
    }
    EXPECT_FALSE(r.Overrun());
}

TEST(InstallerDialogResources, DocumentsAreRtfFollowedByOneNul) {
    const struct {
        int id;
        const char* contains;
    } documents[] = {
        {129, "End-User License Agreement"},
        {130, "uninst.exe"},
    };
    for (const auto& d : documents) {
        SCOPED_TRACE(d.id);
        const std::string bytes = Resource("RTF", d.id);
        ASSERT_GT(bytes.size(), 1u);
        EXPECT_EQ(bytes.rfind("{\\rtf1", 0), 0u);
        EXPECT_EQ(bytes.back(), '\0');
        EXPECT_EQ(bytes.find('\0'), bytes.size() - 1) << "a NUL before the end cuts the text";
        const size_t last = bytes.find_last_not_of(std::string("\r\n\0", 3));
        ASSERT_NE(last, std::string::npos);
        EXPECT_EQ(bytes[last], '}');
        EXPECT_NE(bytes.find(d.contains), std::string::npos);
    }
}

TEST(InstallerDialogResources, IconsAreOneSixteenColourImageEach) {
    const struct {
        int id;
        BYTE size;
    } icons[] = {{140, 32}, {144, 16}};
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.id);
        const std::string group = Resource(MAKEINTRESOURCEA(14), icon.id);  // RT_GROUP_ICON
        ASSERT_EQ(group.size(), 6u + 14u);  // header and one entry
        TemplateReader r(group);
        EXPECT_EQ(r.Word(), 0);
        EXPECT_EQ(r.Word(), 1);  // icon
        EXPECT_EQ(r.Word(), 1);  // one image
        EXPECT_EQ(r.Byte(), icon.size);
        EXPECT_EQ(r.Byte(), icon.size);
        EXPECT_EQ(r.Byte(), 16);  // colours
        r.Byte();
        EXPECT_EQ(r.Word(), 1);  // planes
        EXPECT_EQ(r.Word(), 4);  // bits per pixel
        r.Dword();
        const std::uint16_t imageId = r.Word();
        const std::string image = Resource(MAKEINTRESOURCEA(3), imageId);  // RT_ICON
        ASSERT_GE(image.size(), 40u);
        BITMAPINFOHEADER header = {};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, icon.size);
        EXPECT_EQ(header.biHeight, 2 * icon.size);  // colour bits and mask
        EXPECT_EQ(header.biBitCount, 4);
    }
}

TEST(InstallerDialogResources, PackageWindowTemplateIsAToolWindowWithItsTitleAndFont) {
    DialogTemplateBuffer buffer;
    PackageContentsWindow::buildTemplate(buffer);
    const std::string bytes(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    TemplateReader r(bytes);
    EXPECT_EQ(r.Dword(), 0x90CC0240u);  // the window style with DS_SETFONT
    EXPECT_EQ(r.Dword(), 0x80u);        // WS_EX_TOOLWINDOW
    EXPECT_EQ(r.Word(), 0);             // no controls
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 190);
    EXPECT_EQ(r.Short(), 190);
    EXPECT_EQ(r.Field(), "");
    EXPECT_EQ(r.Field(), "");
    EXPECT_EQ(r.Field(), "Arvendo Quarnelix 4.26 Package Contents");
    EXPECT_EQ(r.Word(), 8);
    EXPECT_EQ(r.Field(), "MS Shell Dlg");
    EXPECT_EQ(r.Offset(), bytes.size());
    EXPECT_FALSE(r.Overrun());
}

}  // namespace
