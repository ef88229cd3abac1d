#pragma once
// Singly linked list of untyped item pointers with one forward cursor. Removed
// items are handed to the owner through OnRemoveItem, which releases them.

#include <functional>

class TDataList;

// Base of the records that the program's lists own, so that one remove
// handler can release any of them.
struct TDataListRecord {
    virtual ~TDataListRecord() = default;
};

using TOnRemoveItem = std::function<void(TDataList *Sender, void *ItemData)>;

struct TDataListItem {
    void *Data = nullptr;
    TDataListItem *NextItem = nullptr;
};
using PDataListItem = TDataListItem *;

class TDataList {
public:
    TDataList() = default;
    ~TDataList();
    TDataList(const TDataList &) = delete;
    TDataList &operator=(const TDataList &) = delete;

    int Add(void *ItemData);
    void Insert(int Index, void *ItemData);
    void Delete(int Index);
    void Clear();
    int GetItemCount() const;
    void First();
    void Next();
    bool Eof() const { return FEof; }
    bool FindNext() const;

    int Count() const { return GetItemCount(); }
    bool Empty() const { return FStartDataListItem == nullptr; }
    void *CurrentItemData() const;
    bool Modified() const { return FModified; }
    const TOnRemoveItem &OnRemoveItem() const { return FOnRemoveItem; }
    void SetOnRemoveItem(TOnRemoveItem handler) { FOnRemoveItem = std::move(handler); }

private:
    void releaseItem(PDataListItem item);

    PDataListItem FStartDataListItem = nullptr;
    PDataListItem FCurrentDataListItem = nullptr;
    bool FEof = false;
    TOnRemoveItem FOnRemoveItem;
    bool FModified = false;
};
