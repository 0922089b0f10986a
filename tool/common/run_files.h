// The files a run reads and writes by name (configuration files): on disk
// for the program run from a terminal, in memory for a run inside the
// server, where a request must never reach a file of the machine.
#pragma once

#include <map>
#include <string>

namespace kelvane::tool {

class RunFiles {
public:
    virtual ~RunFiles() = default;
    // The file's text, at most 64 KiB and one byte; Failure when it cannot
    // be read.
    virtual std::string Read(const std::string& name) = 0;
    // Writes the whole text; Failure when it cannot.
    virtual void Write(const std::string& name, const std::string& text) = 0;
};

// Files by their names on disk (config/config_file.h).
class DiskFiles : public RunFiles {
public:
    std::string Read(const std::string& name) override;
    void Write(const std::string& name, const std::string& text) override;
};

// Files that exist only in this object: what it was given, and what a run
// wrote.
class MemoryFiles : public RunFiles {
public:
    void Put(const std::string& name, std::string text) { files_[name] = std::move(text); }
    // The text of a file, or null when there is none of that name.
    const std::string* Find(const std::string& name) const;

    std::string Read(const std::string& name) override;
    void Write(const std::string& name, const std::string& text) override;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace kelvane::tool
