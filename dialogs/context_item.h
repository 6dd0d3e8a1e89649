#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// One context command of a window. The first item of a list is not a
// command: its caption, enabled flag and help context describe the context
// menu itself; the others become its entries and extra tool buttons.
class TContextItem {
public:
    static constexpr int MaxTextLen = 255;

    QString Caption() const { return caption_; }
    void SetCaption(const QString& text) { caption_ = text.left(MaxTextLen); }
    QString Hint() const { return hint_; }
    void SetHint(const QString& text) { hint_ = text.left(MaxTextLen); }

    std::function<void(QObject* Sender)> OnClick;
    QPixmap Glyph;  // picture of the extra tool button
    bool Enabled = true;
    int HelpContext = 0;

private:
    QString caption_;
    QString hint_;
};

// The ordered context commands of a window, created and owned by it.
class TContextList {
public:
    explicit TContextList(QObject* owner = nullptr) : Owner(owner) {}

    // The window the commands are bound to; the receiver forgets the list
    // when it is destroyed.
    QPointer<QObject> Owner;

    int Count() const { return int(items_.size()); }
    TContextItem* Item(int i) const
    {
        return i >= 0 && i < Count() ? items_[size_t(i)].get() : nullptr;
    }
    // Appends an item and returns it.
    TContextItem& Add(const QString& Caption, std::function<void(QObject*)> OnClick = {},
                      const QString& Hint = {}, int HelpContext = 0, bool Enabled = true);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TContextItem>> items_;
};
