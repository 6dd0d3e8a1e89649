#include "dialogs/context_item.h"

TContextItem& TContextList::Add(const QString& Caption, std::function<void(QObject*)> OnClick,
                                const QString& Hint, int HelpContext, bool Enabled)
{
    auto item = std::make_unique<TContextItem>();
    item->SetCaption(Caption);
    item->OnClick = std::move(OnClick);
    item->SetHint(Hint);
    item->HelpContext = HelpContext;
    item->Enabled = Enabled;
    items_.push_back(std::move(item));
    return *items_.back();
}
