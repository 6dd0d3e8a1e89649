#pragma once

#include "config/clpbrd_content.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QMimeData;

// Where a stored content's text goes for other programs. The program
// installs one that hands the data to the system clipboard; it takes
// ownership of the data.
class IClpBrdSink {
public:
    virtual ~IClpBrdSink() = default;
    virtual void SetMimeData(std::unique_ptr<QMimeData> data) = 0;
};

// The holder of the internal clipboard; one instance for the whole run.
class TVortalinClpBrd : public QObject {
    Q_OBJECT
public:
    explicit TVortalinClpBrd(QObject* owner = nullptr);
    ~TVortalinClpBrd() override;

    // The current content, or null. Pasting windows read it and keep it
    // only for the moment they paste.
    const TIntClpBrd* Content() const { return content_.get(); }

    // Replaces the content (the holder owns the new one; null empties the
    // clipboard). A content with cbfLines puts its text on the system
    // clipboard through the sink.
    void SetIntClpBrd(std::unique_ptr<TIntClpBrd> NewContent);

    // The system clipboard; without one nothing leaves the program.
    void SetSink(std::shared_ptr<IClpBrdSink> sink) { sink_ = std::move(sink); }

    // Called with the data about to be handed to the sink, after the text
    // was set; adds further formats.
    std::function<void(QMimeData& data, const TIntClpBrd& content)> OnFillMimeData;

private:
    std::unique_ptr<TIntClpBrd> content_;
    std::shared_ptr<IClpBrdSink> sink_;
};

// Another program's clipboard text as lines: breaks are CR LF, LF or CR;
// a final break adds no line; an empty text has no lines.
QStringList SplitClipboardText(const QString& text);
