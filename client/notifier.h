// How an operation's news reaches the user. The context owns one notifier; each
// deliverable decides what it shows: the console program prints lines, the provider
// shows message boxes and a progress window. The library only reports what happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brelmox {

enum class FileAction { Add, Checkin, Get, Checkout, Uncheckout, Remove };

// One file's outcome. status is 0, or the server's status with its text in error.
//   add, ci:   localPath = the local file,  viewPath = the folder the server answered
//   get, co:   localPath = the target path, viewPath = the file's repository path
//   unco, rm:  name = the file's name,      viewPath = its folder ("" for the root)
// A refusal names what was asked: viewPath is the request's view path, localPath the local
// file (add, ci) or folder (get, co); name stays empty.
struct FileOutcome {
    FileAction action = FileAction::Add;
    int status = 0;
    std::string error;
    std::string localPath;
    std::string viewPath;
    std::string name;
};

class Notifier {
  public:
    virtual ~Notifier() = default;

    // A message every user must see: local and transport failures, refusals.
    virtual void Message(const std::string& text) = 0;
    // Per-file outcomes, refusals included: the notifier shows what its user expects.
    virtual void FileDone(const FileOutcome& outcome) = 0;
    virtual void ProjectCreated(const std::string& name) = 0;
    virtual void LabelAttached(const std::string& label, const std::string& project) = 0;

    // Long work: one Begin, a Step before each item, one End. A Step that returns false
    // asks the work to stop before that item.
    virtual void ProgressBegin(const std::string& action, size_t count) = 0;
    virtual bool ProgressStep(const std::string& item) = 0;
    virtual void ProgressEnd() = 0;

    // TransferBytes(name, done, total): the bytes of one transfer, for a byte meter: the
    // upload of a file's archive (name: the local file), or the download of an answer (name:
    // the file whose archive is arriving, or what was asked for). Called often while bytes
    // move and about once a second while none do; done is within the named file and total is
    // 0 when unknown. TransferEnd follows the last call of each transfer, whatever its outcome.
    // PackingBytes(name, done, total): before its archive is uploaded, the packing of the local
    // file name, about once per MiB packed. It is the first part of the upload's transfer, so
    // one TransferEnd follows both, or the packing alone when it fails.
    // By default none of these shows anything.
    virtual void TransferBytes(const std::string&, uint64_t, uint64_t) {}
    virtual void PackingBytes(const std::string&, uint64_t, uint64_t) {}
    virtual void TransferEnd() {}

    // True once the user asked to stop the work in flight: the transfer under way is aborted
    // and nothing more is sent. Asked from any thread, also while a transfer blocks.
    virtual bool Cancelled() const { return false; }
};

}  // namespace brelmox
