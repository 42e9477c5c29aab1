// What the dialog tests share: the application, clicking controls by id, answering a modal
// window from inside its event loop, and pictures of what a dialog shows.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "scc/dialogs/path_picker.h"
#include "scc/provider_ui.h"

namespace dialogtest {

// The widget application the provider uses (made by it on the offscreen platform). Records a
// failure when there is none.
bool HaveApplication();

// Clicks the push button with this id.
void ClickButton(QWidget* dialog, int id);

// Replaces the text of the edit with this id as a user would, key by key.
void TypeInto(QWidget* dialog, int id, const std::string& text);

// Runs answer on the modal window that the next call opens, once it is showing. answer
// must close it; should it not, the window is rejected so that the test ends.
void WhenModalOpens(std::function<void(QWidget*)> answer);

// Saves what the window shows as NAME.png in the build's dialogs folder.
void SavePicture(QWidget* window, const std::string& name);

// A lister giving these names, counting its calls.
brelmoxscc::ProjectLister ListerOf(std::vector<std::string> names, int* calls = nullptr);

// What a dialog asked a path picker.
struct PickerCall {
    std::string title;
    std::string start;
};

// A picker answering answer (empty: the user cancelled), recording each call in calls.
brelmoxscc::PathPicker PickerAnswering(std::string answer, std::vector<PickerCall>* calls);

}  // namespace dialogtest
