#pragma once
// Writes the product's files from the LZMA package stream resource into the target
// folder, recording every file it creates so that rollback deletes them newest first.
// Files that existed before (and were overwritten after confirmation) are never deleted.
#include "installer/actions/InstallAction.h"
#include "installer/actions/PackageStreamParser.h"
#include "platform/Handles.h"

#include <string>
#include <vector>

class WriteFilesFromLzmaStream : public InstallAction, private PackageStreamParser::Sink {
public:
    WriteFilesFromLzmaStream() = default;
    ~WriteFilesFromLzmaStream() override;

    // Decodes the "BINARY" resource and writes every file selected for this platform.
    // A separate call from construction: when it throws, the object is already live,
    // so the files it created are rolled back with the other actions.
    void Extract(unsigned resourceId, const std::string& targetFolder);

    const std::vector<std::string>& CreatedFiles() const { return m_created; }

private:
    void BeginFile(const PackageStreamParser::File& file) override;
    void FileData(const uint8_t* bytes, size_t count) override;
    void EndFile() override;
    // Creates the file at m_path when nothing of that name exists, and says whether it did.
    bool CreateNewFile();

    std::string m_targetFolder;
    std::string m_path;
    std::vector<std::string> m_created;
    FileHandle m_output;  // the file being written; closed by EndFile
};
