// CSCCPropertiesDlg: the record of a file's current version, to be read only.
#pragma once

#include <QDialog>

#include "client/file_version.h"

namespace brelmoxscc {

class CSCCPropertiesDlg : public QDialog {
  public:
    static constexpr int kIdFileName = 1010;
    static constexpr int kIdVersion = 1011;
    static constexpr int kIdStatus = 1012;
    static constexpr int kIdCreatedBy = 1020;
    static constexpr int kIdCreationDate = 1014;
    static constexpr int kIdDescription = 1015;

    // OK and Cancel both just close it.
    explicit CSCCPropertiesDlg(const brelmox::CFileVersion& record, QWidget* parent = nullptr);
};

}  // namespace brelmoxscc
