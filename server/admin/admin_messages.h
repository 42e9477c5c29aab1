// The texts of the administration commands that list and change what exists.
#pragma once

namespace server::admin_text {

constexpr const char* kPasswordChanged = "Changed the password of '%s' in '%s'.\n";
constexpr const char* kUserDisabled = "Disabled the user '%s' in '%s'.\n";
constexpr const char* kUserEnabled = "Enabled the user '%s' in '%s'.\n";
constexpr const char* kCheckoutsReleased = "Released %s check-outs of '%s' in '%s'.\n";
constexpr const char* kProjectRemoved = "Removed the project '%s' from '%s'.\n";
constexpr const char* kRemovalNeedsYes =
    "Removing the project '%s' deletes its files, versions and labels for good; run the command "
    "again with --yes to do it.";
constexpr const char* kBackedUp = "Backed up the data folder '%s' to '%s' (%s stored archives).\n";
constexpr const char* kRestored = "Restored '%s' into the data folder '%s' (%s stored archives).\n";
constexpr const char* kBackupNeedsFolder =
    "backup and restore copy a data folder; back up a database with pg_dump and restore it with "
    "pg_restore.";
constexpr const char* kEnabled = "enabled";
constexpr const char* kDisabled = "disabled";

}  // namespace server::admin_text
