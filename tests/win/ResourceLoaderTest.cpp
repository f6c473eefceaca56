#include "installer/actions/ResourceLoader.h"
#include "installer/actions/ResourceReader.h"

#include "ActionTestSupport.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "ZlibPayloadIds.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using ActionTest::IsFile;
using ActionTest::ReadFileBytes;

class ResourceLoaderTest : public ActionTest::Fixture {};

std::string AsText(const ResourceBytes& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}

TEST_F(ResourceLoaderTest, LoadsTheBytesOfThisExecutablesResources) {
    EXPECT_EQ(LoadRtfResource(IDT_RTF_SAMPLE), "{\\rtf1\\ansi Quarnelix test text\\par}\r\n");
    ResourceBytes block = LoadBinaryResource(IDT_ZLIB_BAD_BLOCK, "BINARY");
    EXPECT_EQ(AsText(block), std::string("\x78\x9C\x07\x00\x00", 5));
    // The bytes stay where they are: a second load gives the same memory.
    EXPECT_EQ(LoadBinaryResource(IDT_ZLIB_BAD_BLOCK, "BINARY").data, block.data);
}

// The file's layout differs from the image's (sections 0x200-aligned in the file), so
// bytes from the wrong place would show. Two readers of the one held file take turns.
TEST_F(ResourceLoaderTest, ReadsAResourceFromTheFileInPiecesAsTheImageHoldsIt) {
    const std::string image = AsText(LoadBinaryResource(IDT_ZLIB_GOOD_PLAIN, "BINARY"));
    const std::string rtfImage = LoadRtfResource(IDT_RTF_SAMPLE);
    ASSERT_GT(image.size(), 2 * ResourceReader::DefaultPieceSize);
    for (size_t pieceSize : {size_t(1000), ResourceReader::DefaultPieceSize}) {
        ResourceReader reader(OwnImageFile::Held(), IDT_ZLIB_GOOD_PLAIN, "BINARY", pieceSize);
        ResourceReader other(OwnImageFile::Held(), IDT_RTF_SAMPLE, "RTF", 5);
        EXPECT_EQ(reader.Size(), image.size());
        std::string read, otherRead;
        for (BytePiece p = reader.Next(); p.count; p = reader.Next()) {
            EXPECT_LE(p.count, pieceSize);
            read.append(reinterpret_cast<const char*>(p.bytes), p.count);
            const BytePiece q = other.Next();
            otherRead.append(reinterpret_cast<const char*>(q.bytes), q.count);
        }
        EXPECT_TRUE(read == image) << pieceSize;
        EXPECT_EQ(otherRead, rtfImage.substr(0, otherRead.size()));
        EXPECT_GT(otherRead.size(), 5u);
    }
    std::string rtf;
    ResourceReader rtfReader(OwnImageFile::Held(), IDT_RTF_SAMPLE, "RTF");
    for (BytePiece p = rtfReader.Next(); p.count; p = rtfReader.Next()) rtf.append(reinterpret_cast<const char*>(p.bytes), p.count);
    EXPECT_EQ(rtf, LoadRtfResource(IDT_RTF_SAMPLE));
}

TEST_F(ResourceLoaderTest, AMissingResourceIsAnInstallErrorWithTheWindowsReason) {
    struct Case {
        unsigned id;
        const char* type;
        DWORD code;
    };
    const Case cases[] = {
        {IDT_MISSING, "BINARY", ERROR_RESOURCE_NAME_NOT_FOUND},
        {IDT_ZLIB_GOOD, "QXNOSUCHTYPE", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {IDT_ZLIB_GOOD, "RTF", ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const Case& c : cases) {
        try {
            LoadBinaryResource(c.id, c.type);
            ADD_FAILURE() << "no error for " << c.id << " " << c.type;
        } catch (const InstallError& e) {
            EXPECT_EQ(std::string(e.what()), "FindResourceA() failed: " + WinErrorText(c.code));
        }
    }
}

TEST_F(ResourceLoaderTest, ExtractsAndTruncatesAnExistingFile) {
    const std::string target = Path("out.bin");
    ActionTest::WriteFileBytes(target, std::string(500000, 'z'));
    ExtractZlibResource(target, IDT_ZLIB_GOOD);
    EXPECT_EQ(ReadFileBytes(target), AsText(LoadBinaryResource(IDT_ZLIB_GOOD_PLAIN, "BINARY")));
    ExtractZlibResource(target, IDT_ZLIB_EMPTY_CONTENTS);
    EXPECT_EQ(ReadFileBytes(target), "");
}

TEST_F(ResourceLoaderTest, FileErrorsAreStandardExceptionsWithTheWindowsReason) {
    const std::string target = Path("no such folder\\out.bin");
    try {
        ExtractZlibResource(target, IDT_ZLIB_GOOD);
        FAIL() << "no error";
    } catch (const InstallError&) {
        FAIL() << "not an installation error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "CreateFileA() failed: " + WinErrorText(ERROR_PATH_NOT_FOUND));
    }
    EXPECT_FALSE(IsFile(target));
}

TEST_F(ResourceLoaderTest, AStreamErrorDeletesOnlyAFileThisCallCreated) {
    for (bool existed : {false, true}) {
        const std::string target = Path(existed ? "old.bin" : "new.bin");
        if (existed) ActionTest::WriteFileBytes(target, "before");
        try {
            ExtractZlibResource(target, IDT_ZLIB_BAD_HEADER);
            FAIL() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "inflate() failed: incorrect header check");
        }
        EXPECT_EQ(IsFile(target), existed) << target;
    }
}

}  // namespace
