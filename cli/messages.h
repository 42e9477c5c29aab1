// The command-line program's texts, byte for byte.
#pragma once

namespace climsg {
constexpr const char* kProgramVersion = "1.1.6.0";
constexpr const char* kMissingFile = "You must specify a file to \"get\" with the -f parameter.";
constexpr const char* kNoFileMatches = "No file matches '%s'.";

// What succeeded, as the library's notifier reports it
constexpr const char* kCreatedProject = "Created Project '%s'.";
constexpr const char* kLabelAttached = "Label '%s' attached to checked in files in Project '%s'.";
constexpr const char* kFileAdded = "File '%s' added to '%s'.";
constexpr const char* kFileCheckedIn = "File '%s' checked in to '%s'.";
constexpr const char* kFileSaved = "File '%s' saved in '%s'.";
constexpr const char* kFileCheckedOut = "File '%s' checked out to '%s'.";
constexpr const char* kFileUncheckedOut = "File '%s' unchecked out from '%s'.";
constexpr const char* kFileUncheckedOutRoot = "File '%s' unchecked out from root.";
constexpr const char* kFileRemoved = "File '%s' removed from '%s'.";
constexpr const char* kFileRemovedRoot = "File '%s' removed from root.";

// status: a file's state, by the server's status
constexpr const char* kStateCheckedIn = "checked-in";
constexpr const char* kStateCheckedOut = "checked-out";
constexpr const char* kStateLocked = "locked";
constexpr const char* kStateNotControlled = "not-controlled";
constexpr const char* kStateUnknown = "unknown";

// history -props: the names of a file's properties
constexpr const char* kPropertyFile = "File";
constexpr const char* kPropertyVersion = "Version";
constexpr const char* kPropertyStatus = "Status";
constexpr const char* kPropertyDate = "Date";
constexpr const char* kPropertyUser = "User";
constexpr const char* kPropertyDescription = "Description";
constexpr const char* kPropertyDateRemoved = "Date removed";
constexpr const char* kPropertyRemover = "Removed by";

// The byte meter on standard error: what marks the packing before an upload
constexpr const char* kMeterPacking = "packing";

// The usage text: one entry per line; a line marked blankAfter is followed by an empty line.
struct UsageLine {
    const char* text;
    bool blankAfter;
};
constexpr UsageLine kUsage[] = {
    {"Brelmox Version %s", false},
    {"Command Line Interface syntax:", true},
    {"Brelmox cfg -u username -pw password -o organization -pr project", true},
    {"Brelmox add -f from -t to [-r [-p]] [-d description]", false},
    {"\tfrom:\tfile(s) in the file system to add to the Repository", false},
    {"\tto:\tviewpath in the Repository", false},
    {"\tr:\tadd files from subdirectories in the file system (recurse)", false},
    {"\tp:\tpreserve structure in Repository from file system", true},
    {"Brelmox get -f from -t to [-r [-p]] [-d description] [-l label |[-v version]", false},
    {"\tfrom:\tfile(s) to get from the Repository", false},
    {"\tto:\tdirectory in the file system", false},
    {"\tr:\tget files from sub folders of the Repository (recurse)", false},
    {"\tp:\tpreserve structure in the file system from the Repository", false},
    {"\tversion:\tget files with matching version", false},
    {"\tlabel:\tget files with matching label", true},
    {"Brelmox ci -f from -t to [-r [-p]] [-d description]", false},
    {"\tfrom:\tfile(s) in the file system to check in to the Repository", false},
    {"\tto:\tviewpath in the Repository", false},
    {"\tr:\tcheck in files from subdirectories in the file system (recurse)", false},
    {"\tp:\tpreserve structure in Repository from file system", true},
    {"Brelmox co -f from -t to [-r [-p]] [-d description] [-l label |[-v version]", false},
    {"\tfrom:\tfile(s) to check out from the Repository", false},
    {"\tto:\tdirectory in the file system", false},
    {"\tr:\tcheck out files from sub folders of the Repository (recurse)", false},
    {"\tp:\tpreserve structure in the file system from the Repository", false},
    {"\tversion:\tcheck out files with matching version", false},
    {"\tlabel:\tcheck out files with matching label", true},
    {"Brelmox lbl -l label [-d description]", false},
    {"\tlabel:\tlabel to apply to project", true},
    {"Brelmox unco -f files [-r]", false},
    {"\tfrom:\tfile(s) to uncheck out (release) from the Repository", false},
    {"\tr:\tuncheck out files from sub folders of the Repository (recurse)", true},
    {"Brelmox rm -f files [-r]", false},
    {"\tfrom:\tfile(s) to remove from the Repository", false},
    {"\tr:\tuncheck out files from sub folders of the Repository (recurse)", true},
    {"Brelmox cp -n name [-d description]", false},
    {"\tname:\tname of Project to create", false},
};
}  // namespace climsg
