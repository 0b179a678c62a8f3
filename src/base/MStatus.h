#pragma once

#include <QString>

// The outcome of an operation that can fail in a way the user must hear about. It carries the
// message text exactly as the user interface shows it, so every front end (dialogs, quilm-cli,
// tests) sees the same words.
class MStatus {
public:
    enum class Icon { None, Information, Question, Warning, Error };

    MStatus() = default;
    static MStatus Ok() { return MStatus(); }
    static MStatus Failure(QString text, Icon icon = Icon::Error, QString title = QString()) {
        MStatus s;
        s.ok_ = false;
        s.text_ = std::move(text);
        s.icon_ = icon;
        s.title_ = std::move(title);
        return s;
    }

    bool IsOk() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const QString& Text() const { return text_; }
    const QString& Title() const { return title_; }
    Icon GetIcon() const { return icon_; }

private:
    bool ok_ = true;
    QString text_;
    QString title_;
    Icon icon_ = Icon::None;
};
