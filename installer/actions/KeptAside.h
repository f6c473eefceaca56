#pragma once
// A file that an installation step is about to replace, kept aside until the run ends:
// renamed within its own folder (copied, when it cannot be renamed) under a name that no
// other file has. Rollback puts it back as it was, contents, times and attributes; a run
// that keeps the new file deletes it, or schedules it for deletion at restart when it is
// in use. The file steps (package files, the uninstaller, shortcuts) share it.
#include <string>

class KeptAside {
public:
    KeptAside() = default;  // keeps nothing
    // Keeps the file at path aside; a path that is missing or a folder keeps nothing.
    // Throws InstallError when the file can be neither renamed nor copied.
    explicit KeptAside(const std::string& path);
    KeptAside(KeptAside&& o) noexcept;
    KeptAside& operator=(KeptAside&& o) noexcept;
    KeptAside(const KeptAside&) = delete;
    KeptAside& operator=(const KeptAside&) = delete;
    // A file still held goes back without a word: the step that kept it has failed.
    ~KeptAside() { PutBack(); }

    explicit operator bool() const { return !m_aside.empty(); }
    const std::string& Path() const { return m_path; }
    // Where the file waits (empty when nothing is kept).
    const std::string& AsidePath() const { return m_aside; }

    // Replaces whatever is now at the path by the kept file; false, with the last error
    // set, when that fails (the kept file then stays held).
    bool PutBack() noexcept;
    // PutBack for rollback: prints "Rollback: restoring <path>"; a failure is reported.
    void Restore() noexcept;
    // The new file stays: the kept one is deleted now, or at the next restart.
    void Discard() noexcept;

private:
    std::string m_path;
    std::string m_aside;
};
