// The dialogs' captions, control texts and messages, byte for byte.
#pragma once

namespace brelmoxscc::text {

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

}  // namespace brelmoxscc::text
