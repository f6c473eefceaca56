#pragma once
// Writes the product's files from the LZMA package stream resource into the target
// folder. The files it is about to make are entered at once from the build's list; a file
// that existed before (overwritten after confirmation) is kept aside and entered on its
// own. Rollback undoes them newest first: a new file is deleted, a replaced one is put
// back as it was. Each file's pending deletion at restart is cancelled, and scheduled
// again by rollback.
#include "installer/actions/InstallAction.h"
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/PackageStreamParser.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"

#include <set>
#include <string>
#include <vector>

class WriteFilesFromLzmaStream : public InstallAction, private PackageStreamParser::Sink {
public:
    WriteFilesFromLzmaStream() = default;
    ~WriteFilesFromLzmaStream() override;

    // Decodes the package (going on from what it decoded ahead) and writes every file selected
    // for this platform; names are those files' names from the build's record, in stream order
    // ("" for the uninstaller). A separate call from construction: when it throws, the object
    // is already live, so the files it created are rolled back with the other actions.
    void Extract(LzmaAloneDecoder& package, const std::string& targetFolder, const std::vector<std::string>& names);

    // Also deletes the files kept aside.
    void Commit() override;

private:
    void BeginFile(const PackageStreamParser::File& file) override;
    void FileData(const uint8_t* bytes, size_t count) override;
    void EndFile() override;
    // Creates the file at m_path when nothing of that name exists, and says whether it did.
    bool CreateNewFile();
    std::string TargetPath(const std::string& name) const;
    void EnterNewFiles(const std::vector<std::string>& names);

    std::string m_targetFolder;
    std::string m_path;
    std::set<std::string> m_newFiles;  // entered as new, lower case
    PendingDeletions m_pending;  // read when the extractor is made, just before extraction
    FileHandle m_output;  // the file being written; closed by EndFile
};
