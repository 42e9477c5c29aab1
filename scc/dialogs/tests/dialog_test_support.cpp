#include "scc/dialogs/tests/dialog_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include "scc/dialogs/dialog_layout.h"
#include "scc/dialogs/qt_provider_ui.h"

namespace dialogtest {

bool HaveApplication() {
    static const std::unique_ptr<brelmoxscc::ProviderUi> ui = brelmoxscc::MakeQtProviderUi();
    const bool have = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    EXPECT_TRUE(have) << "no widget application: run with QT_QPA_PLATFORM=offscreen";
    return have;
}

void ClickButton(QWidget* dialog, int id) {
    auto* button = brelmoxscc::FindControl<QPushButton>(dialog, id);
    ASSERT_NE(button, nullptr) << "no button " << id << " in "
                               << dialog->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

void TypeInto(QWidget* dialog, int id, const std::string& text) {
    auto* edit = brelmoxscc::FindControl<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << "no edit " << id << " in " << dialog->objectName().toStdString();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

void WhenModalOpens(std::function<void(QWidget*)> answer) {
    // Polls because the window appears only once the caller has entered its event loop.
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible()) {
            ADD_FAILURE() << "the answer left " << modal->objectName().toStdString() << " open";
            dialog->reject();
        }
    });
    poll->start(10);
}

void SavePicture(QWidget* window, const std::string& name) {
    const QString folder = QStringLiteral(BRELMOX_DIALOG_PICTURES);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/" + QString::fromStdString(name) + ".png";
    EXPECT_TRUE(window->grab().save(path)) << "cannot write " << path.toStdString();
}

brelmoxscc::ProjectLister ListerOf(std::vector<std::string> names, int* calls) {
    return [names = std::move(names), calls] {
        if (calls != nullptr) ++*calls;
        return names;
    };
}

brelmoxscc::PathPicker PickerAnswering(std::string answer, std::vector<PickerCall>* calls) {
    return
        [answer = std::move(answer), calls](QWidget*, const QString& title, const QString& start) {
            calls->push_back({title.toStdString(), start.toStdString()});
            return QString::fromStdString(answer);
        };
}

}  // namespace dialogtest
