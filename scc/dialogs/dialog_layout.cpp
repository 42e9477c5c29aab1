#include "scc/dialogs/dialog_layout.h"

#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cctype>
#include <cmath>
#include <string>

#include "common/format.h"
#include "scc/messages.h"

namespace brelmoxscc {
namespace {

// The alphabet's mean advance, as dialog base units are classically measured: a font's own
// average-width field counts every glyph it has and makes wide fonts' dialogs wider still.
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr double kAlphabetLength = 52.0;

int Scaled(int units, double unit) {
    return static_cast<int>(std::lround(units * unit));
}

QWidget* MakeButton(QDialog* dialog, const ControlTemplate& layout) {
    auto* button = new QPushButton(QString::fromUtf8(layout.text), dialog);
    button->setDefault(layout.kind == ControlKind::DefaultButton);
    if (layout.id == kIdOk) {
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    }
    if (layout.id == kIdCancel) {
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
    }
    return button;
}

QWidget* MakeText(QDialog* dialog, const ControlTemplate& layout) {
    auto* label = new QLabel(QString::fromUtf8(layout.text), dialog);
    // Static texts wrap at word boundaries and start at their rectangle's top.
    label->setWordWrap(true);
    const Qt::Alignment side =
        layout.kind == ControlKind::RightText ? Qt::AlignRight : Qt::AlignLeft;
    label->setAlignment(side | Qt::AlignTop);
    return label;
}

QWidget* MakeReportList(QDialog* dialog) {
    auto* list = new QTreeWidget(dialog);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setAllColumnsShowFocus(true);
    // The rows are records as the server keeps them; none of their texts is edited here.
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = list->header();
    header->setSectionsMovable(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Each column keeps the width it is given; a wide list scrolls sideways instead.
    header->setStretchLastSection(false);
    return list;
}

// A text box lays out at most this much, so that a huge text shows at once.
constexpr size_t kLongestShownText = 64 * 1024;

// The text, or its first kLongestShownText bytes (not cutting a character in two) and a note
// of how much more there is.
std::string ShownText(const std::string& text) {
    if (text.size() <= kLongestShownText) return text;
    size_t cut = kLongestShownText;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) +
           brelmox::FormatMessage(msg::kTextCut, std::to_string(text.size() - cut));
}

// A run longer than any word: a text that no reader breaks at words anyway.
bool HasLongRunWithoutBlank(const std::string& text) {
    constexpr size_t kLongestWord = 200;
    size_t run = 0;
    for (const char c : text) {
        run = std::isspace(static_cast<unsigned char>(c)) ? 0 : run + 1;
        if (run > kLongestWord) return true;
    }
    return false;
}

QWidget* MakeEdit(QDialog* dialog, ControlKind kind) {
    if (kind == ControlKind::ReadOnlyTextBox) {
        auto* box = new QPlainTextEdit(dialog);
        box->setReadOnly(true);
        // Long lines wrap at the box's width, so there is nothing to scroll sideways to.
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return box;
    }
    auto* edit = new QLineEdit(dialog);
    edit->setReadOnly(kind == ControlKind::ReadOnlyEdit);
    if (kind == ControlKind::PasswordEdit) edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QWidget* MakeControl(QDialog* dialog, const ControlTemplate& layout) {
    switch (layout.kind) {
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            return MakeButton(dialog, layout);
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
        case ControlKind::ReadOnlyEdit:
        case ControlKind::ReadOnlyTextBox:
            return MakeEdit(dialog, layout.kind);
        case ControlKind::SortedList: {
            auto* list = new QListWidget(dialog);
            list->setSortingEnabled(true);
            return list;
        }
        case ControlKind::ReportList:
            return MakeReportList(dialog);
        case ControlKind::GroupBox:
            return new QGroupBox(QString::fromUtf8(layout.text), dialog);
        case ControlKind::Text:
        case ControlKind::RightText:
            break;
    }
    return MakeText(dialog, layout);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    unitX_ = metrics.horizontalAdvance(QString::fromLatin1(kAlphabet)) / kAlphabetLength / 4.0;
    unitY_ = metrics.height() / 8.0;
}

QRect DialogUnits::ToPixels(const DluRect& rect) const {
    return QRect(Scaled(rect.x, unitX_), Scaled(rect.y, unitY_), Scaled(rect.width, unitX_),
                 Scaled(rect.height, unitY_));
}

void BuildDialog(QDialog* dialog, const DialogTemplate& layout) {
    dialog->setObjectName(QString::fromLatin1(layout.className));
    dialog->setWindowTitle(QString::fromUtf8(layout.caption));
    // The application's font stands in for the templates' dialog font, so the dialogs grow
    // with the desktop's font size; the dialog inherits it unless the host restyles it.
    const DialogUnits units(dialog->font());
    const QSize size = units.ToPixels({0, 0, layout.width, layout.height}).size();
    if (layout.resizable) {
        dialog->resize(size);
    } else {
        dialog->setFixedSize(size);
    }
    for (const ControlTemplate& control : layout.controls) {
        QWidget* widget = MakeControl(dialog, control);
        if (control.id != kNoId) widget->setObjectName(QString::number(control.id));
        widget->setGeometry(units.ToPixels(control.rect));
    }
}

std::string EditText(const QWidget* dialog, int id) {
    if (const auto* edit = FindControl<QLineEdit>(dialog, id)) return edit->text().toStdString();
    return FindControl<QPlainTextEdit>(dialog, id)->toPlainText().toStdString();
}

void SetEditText(const QWidget* dialog, int id, const std::string& text) {
    if (auto* edit = FindControl<QLineEdit>(dialog, id)) {
        return edit->setText(QString::fromStdString(text));
    }
    auto* box = FindControl<QPlainTextEdit>(dialog, id);
    // Breaking lines at word boundaries searches the rest of a line for a blank from each
    // line's start: a long run without one would take minutes to lay out (a 1 MiB run, some
    // 200 s). Such a text breaks anywhere, which costs nothing extra.
    box->setWordWrapMode(HasLongRunWithoutBlank(text) ? QTextOption::WrapAnywhere
                                                      : QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setPlainText(QString::fromStdString(ShownText(text)));
}

}  // namespace brelmoxscc
