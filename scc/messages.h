// The provider's message table: captions, control texts and messages shown to the user,
// byte for byte.
#pragma once

namespace brelmoxscc::msg {
constexpr const char* kProviderName = "Brelmox";
constexpr const char* kSecureSiteFormat = "https://%s";
constexpr const char* kPlainSiteFormat = "http://%s/%s";
constexpr const char* kAddingFiles = "Adding files";
// The progress window's first line for the other requests that may take long.
constexpr const char* kConnecting = "Connecting to the server";
constexpr const char* kLoggingIn = "Checking the login";
constexpr const char* kListingProjects = "Reading the project list";
constexpr const char* kOpeningProject = "Opening the project";
constexpr const char* kQueryingStatus = "Reading the files' status";
constexpr const char* kCheckingIn = "Checking in files";
constexpr const char* kCheckingOut = "Checking out files";
constexpr const char* kGettingFiles = "Getting files";
constexpr const char* kUndoingCheckOut = "Undoing check-outs";
constexpr const char* kRemovingFiles = "Removing files";
constexpr const char* kReadingHistory = "Reading the history";
constexpr const char* kReadingProperties = "Reading the properties";
constexpr const char* kComparing = "Comparing with the repository";
// The file line of a large transfer: the name, the mebibytes moved and their total.
constexpr const char* kBytesOfFormat = "%s \u2014 %s of %s MiB";
constexpr const char* kUnknownProjectSilent = "Project, '%s\", is unknown.";
constexpr const char* kInvalidProject = "Invalid Project";
constexpr const char* kInvalidUser = "Invalid User";
constexpr const char* kOutsideProjectFolder =
    "Cannot use '%s': it is not inside the project folder '%s'. Nothing was sent for it.";
constexpr const char* kBackslashInPath =
    "Cannot use '%s': a backslash in a name would mean a folder in the repository. Nothing was "
    "sent for it.";
constexpr const char* kWildcardInPath =
    "Cannot use '%s': the repository reads '*' and '?' in a name as a pattern that may match "
    "other files. Nothing was sent for it.";
constexpr const char* kComparisonProgramNotFound = "File Comparison Utility, %s, not found.";
constexpr const char* kNoFileGiven = "No file was given to show.";
constexpr const char* kProjectNameTooLong =
    "The project name '%s' is longer than 300 characters, more than the IDE can take.";
constexpr const char* kNameNotInCodePage =
    "The name '%s' cannot be written in this system's code page, so the IDE cannot take it.";

// Dialogs and message boxes
constexpr const char* kMessageTitle = "Brelmox";
constexpr const char* kOk = "OK";
constexpr const char* kCancel = "Cancel";

// CLogin
constexpr const char* kLoginCaption = "Brelmox Login";
constexpr const char* kOrganizationLabel = "Organization:";
constexpr const char* kUsernameLabel = "Username:";
constexpr const char* kPasswordLabel = "Password:";

// CSelectProject and CSetProject
constexpr const char* kSelectProjectCaption = "Brelmox Select Project";
constexpr const char* kSetProjectCaption = "Brelmox Set Project";
constexpr const char* kAddNewProjectLabel = "Add New Project:";
constexpr const char* kNewProjectDescriptionLabel = "New Project Description:";
constexpr const char* kCreateProjectLabel = "Create Project:";
constexpr const char* kProjectDescriptionLabel = "Project Description:";
constexpr const char* kSelectExistingLabel = "Select Existing Project:";
constexpr const char* kNoProjectInRepository =
    "There is no Brelmox project in the Repository for the project you are opening.  Click OK "
    "to create it or select an existing project and click OK.";
constexpr const char* kEnterProject = "Enter a new Project or select an existing one.";

// CProgressTracker
constexpr const char* kProgressCaption = "";
constexpr const char* kStaticPlaceholder = "Static";

// CHistoryDlg
constexpr const char* kHistoryCaption = "Version History";
constexpr const char* kVersionsOfFormat = "Versions of %s";
constexpr const char* kGet = "Get";
constexpr const char* kClose = "Close";
constexpr const char* kVersionColumn = "Version";
constexpr const char* kStatusColumn = "Status";
constexpr const char* kDateCreatedColumn = "Date Created";
constexpr const char* kCreatedByColumn = "Created By";
constexpr const char* kDescriptionColumn = "Description";
constexpr const char* kSelectSaveFolder = "Select the directory where the file will be saved";
constexpr const char* kProgramsFilter = "Programs (*)";

// CSCCPropertiesDlg
constexpr const char* kPropertiesCaption = "SCC Properties";
constexpr const char* kFilenameLabel = "Filename:";
constexpr const char* kVersionLabel = "Version:";
constexpr const char* kStatusLabel = "Status:";
constexpr const char* kCreatedByLabel = "Created by:";
constexpr const char* kCreationDateLabel = "Creation Date:";
constexpr const char* kDescriptionLabel = "Description:";
constexpr const char* kTextCut = "\n[%s more bytes are not shown.]";

// CCommandOptions
constexpr const char* kOptionsCaption = "Brelmox Options";
constexpr const char* kFileComparisonGroup = "File Comparison Utility";
constexpr const char* kBrowse = "Browse";
constexpr const char* kEnterComparisonCommand =
    "Enter command line to invoke file comparison utility.";
constexpr const char* kQuoteProgramPath = "Enclose program in quotes if path has spaces.";
constexpr const char* kFilesPlaceholder = "Use '%s' to indicate position of files to compare.";
}  // namespace brelmoxscc::msg
