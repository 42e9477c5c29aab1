// Builds a dialog from its template: controls at dialog-unit rectangles, each control named
// by its id so that tests and assistive tools find it.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <span>
#include <string>

namespace brelmoxscc {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
// Static texts that the code never addresses have no id and no id-like name.
constexpr int kNoId = -1;

enum class ControlKind {
    DefaultButton,
    Button,
    Edit,
    PasswordEdit,
    ReadOnlyEdit,
    ReadOnlyTextBox,  // several lines, read-only
    SortedList,
    ReportList,  // rows of columns, one row selectable
    GroupBox,
    Text,
    RightText,
};

struct DluRect {
    int x;
    int y;
    int width;
    int height;
};

struct ControlTemplate {
    ControlKind kind;
    int id;
    const char* text;
    DluRect rect;
};

struct DialogTemplate {
    const char* className;
    const char* caption;
    int width;
    int height;
    std::span<const ControlTemplate> controls;
    bool resizable = false;
};

// Dialog units of a font: a horizontal unit is a quarter of its average character width, a
// vertical unit an eighth of its character height.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    QRect ToPixels(const DluRect& rect) const;

  private:
    double unitX_;
    double unitY_;
};

// Names, sizes and fills the dialog; OK accepts it and Cancel rejects it. A group box comes
// before the controls it frames, so that they are drawn over it.
void BuildDialog(QDialog* dialog, const DialogTemplate& layout);

// The control with this id, or null when there is none of that type.
template <class Control>
Control* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<Control*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// The text of the edit with this id, single- or multi-line.
std::string EditText(const QWidget* dialog, int id);
// A multi-line box shows at most the text's first 64 KiB, with a note of how much more there
// is, and breaks a text with runs longer than any word anywhere.
void SetEditText(const QWidget* dialog, int id, const std::string& text);

}  // namespace brelmoxscc
