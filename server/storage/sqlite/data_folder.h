// The server's data folder: the database, the content-addressed archives under
// objects/ and the temporaries of requests in progress under tmp/.
#pragma once

#include <string>

namespace server {

class DataFolder {
  public:
    explicit DataFolder(std::string root);

    const std::string& Root() const { return root_; }
    std::string DatabasePath() const { return root_ + "/brelmox.db"; }
    std::string ObjectsPath() const { return root_ + "/objects"; }
    std::string TempPath() const { return root_ + "/tmp"; }

    // Creates the folders and an empty database; refuses a folder that already has one.
    void Initialise() const;
    // Creates the folders without the database; refuses a folder that already has one.
    void CreateFolders() const;
    // Throws StorageError naming the folder when it was never initialised or holds a newer
    // schema than this server knows; brings an older schema up to date.
    void RequireInitialised() const;

  private:
    std::string root_;
};

}  // namespace server
