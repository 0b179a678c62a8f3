#include "cdg/CdgStreamFile.h"

#include "base/MFileName.h"
#include "base/MInputFile.h"

#include <QFileInfo>

CdgStreamFile::~CdgStreamFile() {
    Close();
}

void CdgStreamFile::Close() {
    if (data_ != nullptr) {
        file_.unmap(const_cast<uchar*>(reinterpret_cast<const uchar*>(data_)));
    }
    data_ = nullptr;
    sizeBytes_ = 0;
    file_.close();
}

MStatus CdgStreamFile::Open(const QString& path) {
    Close();
    const QFileInfo info(MFileName::Openable(path));
    if (!info.exists()) {
        return MStatus::Failure(QStringLiteral("%1: no such file").arg(path));
    }
    if (const MStatus s = MInputFile::Check(path, kMaxFileBytes, QStringLiteral("CD+G file")); !s) {
        return s;
    }
    file_.setFileName(MFileName::Openable(path));
    if (!file_.open(QIODevice::ReadOnly)) {
        return MStatus::Failure(
            QStringLiteral("%1: cannot open: %2").arg(path, file_.errorString()));
    }
    sizeBytes_ = file_.size();
    if (sizeBytes_ <= 0) {
        Close();
        return MStatus::Failure(QStringLiteral("%1: the file is empty").arg(path));
    }
    uchar* map = file_.map(0, sizeBytes_);
    if (map == nullptr) {
        const QString why = file_.errorString();
        Close();
        return MStatus::Failure(QStringLiteral("%1: cannot read: %2").arg(path, why));
    }
    data_ = map;
    return MStatus::Ok();
}
