#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

class QMimeData;

// What a drag carries (TDragDrop::Kind).
inline constexpr uint8_t ddkNone = 0;
inline constexpr uint8_t ddkExplParams = 1;  // TParaRec of the explorer's parameter list
inline constexpr uint8_t ddkDwnLines = 3;    // TDwnEntry of a download list
inline constexpr uint8_t ddkWrkRows = 4;     // TWrkListItem of a work list
inline constexpr uint8_t ddkOpLines = 5;     // TDwnEntry of an operator-parameter list

// The one drag object of the program, refilled by every drag. The records
// are shared with the source window, so rows it deletes while the drag
// runs stay valid until the drop has been handled; Kind tells their type.
//
// The drag itself travels as MIME data of the program's own type carrying
// this process's id and the number of the drag; a target accepts only the
// data of the drag that is running now, so a drop from another instance
// or of an ended drag finds nothing.
class TDragDrop : public QObject {
    Q_OBJECT
public:
    static const QString MimeType;

    explicit TDragDrop(QObject* owner = nullptr);
    ~TDragDrop() override;

    uint8_t Kind = ddkNone;
    QPointer<QObject> SourceView;
    std::vector<std::shared_ptr<void>> Items;
    int16_t SetSel = 0;
    int16_t InvAdr = 0;

    template <class T>
    std::shared_ptr<T> Item(int i) const
    {
        return i >= 0 && i < int(Items.size()) ? std::static_pointer_cast<T>(Items[size_t(i)])
                                               : nullptr;
    }

    // Fills the object for a new drag: empties it, takes the records
    // (those the source could drag, in list order) and, when there are any,
    // the kind, addresses and source view, and starts a new drag number.
    // False, with Kind 0, when there is nothing to drag.
    bool Start(QObject* sourceView, uint8_t kind, std::vector<std::shared_ptr<void>> items,
               int16_t invAdr, int16_t setSel);

    // The MIME data of the running drag (owned by the caller; Qt's drag
    // takes it). Null when nothing is being dragged.
    std::unique_ptr<QMimeData> MimeData() const;

    // Ends the drag: the object carries nothing, the records are let go,
    // and the drag's MIME data no longer matches.
    void End();

    // The one acceptance check of every drop target: data of the running
    // drag, not from the target's own view, of a kind the target takes.
    bool Accepts(const QMimeData* data, const QObject* targetView,
                 std::initializer_list<uint8_t> kinds) const;

    // The drag number the data carries; 0 when it is not this process's.
    static quint64 DragNumber(const QMimeData* data);

private:
    quint64 dragNo_ = 0;
    static quint64 lastDragNo_;
};
