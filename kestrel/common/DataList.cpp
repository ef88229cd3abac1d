#include "common/DataList.h"

#include "common/KException.h"

namespace {
[[noreturn]] void invalidIndex(int index)
{
    throw KException(QStringLiteral("Invalid index %1").arg(index));
}
[[noreturn]] void itemsNotFound() { throw KException(QStringLiteral("Items not found")); }
} // namespace

TDataList::~TDataList()
{
    // A handler that throws must not escape a destructor; the remaining
    // links are still released.
    try {
        Clear();
    } catch (...) {
        while (FStartDataListItem) {
            PDataListItem item = FStartDataListItem;
            FStartDataListItem = item->NextItem;
            delete item;
        }
    }
}

int TDataList::Add(void *ItemData)
{
    auto *item = new TDataListItem{ItemData, nullptr};
    int index = 0;
    if (!FStartDataListItem) {
        FStartDataListItem = item;
    } else {
        PDataListItem last = FStartDataListItem;
        index = 1;
        while (last->NextItem) {
            last = last->NextItem;
            ++index;
        }
        last->NextItem = item;
    }
    FModified = true;
    return index;
}

void TDataList::Insert(int Index, void *ItemData)
{
    if (Index == 0) {
        FStartDataListItem = new TDataListItem{ItemData, FStartDataListItem};
        FModified = true;
        return;
    }
    if (Index < 0 || !FStartDataListItem)
        invalidIndex(Index);
    PDataListItem prev = FStartDataListItem;
    for (int i = 1; i < Index; ++i) {
        prev = prev->NextItem;
        if (!prev)
            invalidIndex(Index);
    }
    // Inserting at the count would append; that is refused, as "at the
    // position of an existing item" is the contract.
    if (!prev->NextItem)
        invalidIndex(Index);
    prev->NextItem = new TDataListItem{ItemData, prev->NextItem};
    FModified = true;
}

void TDataList::Delete(int Index)
{
    if (Index < 0 || !FStartDataListItem)
        invalidIndex(Index);
    PDataListItem removed;
    if (Index == 0) {
        removed = FStartDataListItem;
        FStartDataListItem = removed->NextItem;
    } else {
        PDataListItem prev = FStartDataListItem;
        for (int i = 1; i < Index; ++i) {
            prev = prev->NextItem;
            if (!prev)
                invalidIndex(Index);
        }
        removed = prev->NextItem;
        if (!removed)
            invalidIndex(Index);
        prev->NextItem = removed->NextItem;
    }
    FModified = true;
    releaseItem(removed);
}

void TDataList::Clear()
{
    while (FStartDataListItem) {
        PDataListItem item = FStartDataListItem;
        FStartDataListItem = item->NextItem;
        releaseItem(item);
    }
}

void TDataList::releaseItem(PDataListItem item)
{
    // A cursor left on a freed link would be read after free; it becomes
    // "no cursor" instead, so a stale read raises "Items not found".
    if (FCurrentDataListItem == item)
        FCurrentDataListItem = nullptr;
    // The link is freed even when the handler throws.
    struct Free {
        PDataListItem p;
        ~Free() { delete p; }
    } guard{item};
    if (FOnRemoveItem)
        FOnRemoveItem(this, item->Data);
}

int TDataList::GetItemCount() const
{
    int n = 0;
    for (PDataListItem p = FStartDataListItem; p; p = p->NextItem)
        ++n;
    return n;
}

void TDataList::First()
{
    if (!FStartDataListItem)
        itemsNotFound();
    FCurrentDataListItem = FStartDataListItem;
    FEof = false;
    FModified = false;
}

void TDataList::Next()
{
    if (!FStartDataListItem || !FCurrentDataListItem)
        itemsNotFound();
    if (FCurrentDataListItem->NextItem) {
        FCurrentDataListItem = FCurrentDataListItem->NextItem;
    } else {
        FCurrentDataListItem = nullptr;
        FEof = true;
    }
}

bool TDataList::FindNext() const
{
    if (!FStartDataListItem || !FCurrentDataListItem)
        itemsNotFound();
    return FCurrentDataListItem->NextItem != nullptr;
}

void *TDataList::CurrentItemData() const
{
    if (!FStartDataListItem || !FCurrentDataListItem)
        itemsNotFound();
    return FCurrentDataListItem->Data;
}
