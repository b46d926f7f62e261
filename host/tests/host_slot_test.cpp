// The host interfaces keep the slot numbers the modules call them by.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include <vantorel/app_interfaces.h>
#include <vantorel/collab_interfaces.h>

namespace {

// The vtable slot a pointer to a virtual member names (Itanium C++ ABI: 1 + byte offset).
template <class F>
size_t Slot(F member) {
  static_assert(sizeof(F) == 2 * sizeof(void*));
  uintptr_t word;
  std::memcpy(&word, &member, sizeof word);
  return (word - 1) / sizeof(void*);
}

TEST(HostSlots, InterfacesKeepTheirSlotNumbers) {
  struct Case {
    size_t actual, expected;
    const char* name;
  } cases[] = {
      {Slot(&IVtlUnknown::Release), 2, "Release"},
      {Slot(&IVtlApplication::GetFileStore), 16, "application file store"},
      {Slot(&IVtlApplication::GetFontList), 17, "application font list"},
      {Slot(&IVtlApplication::GetXMLFactory), 23, "application XML factory"},
      {Slot(&IVtlApplication::GetResourceCache), 33, "application resource cache"},
      {Slot(&IVtlFileStore::KeyForValue), 4, "file store key"},
      {Slot(&IVtlFileStore::DropKey), 6, "file store drop"},
      {Slot(&IVtlFileStore::StoreFile), 32, "file store copy"},
      {Slot(&IVtlFileStore::GetAttachmentPath), 25, "attachment path"},
      {Slot(&IVtlFileStore::FindAttachment), 31, "attachment handle"},
      {Slot(&IVtlFileStore::AdoptAttachment), 35, "attachment adopted"},
      {Slot(&IVtlCollabBook::FindItem), 8, "book item"},
      {Slot(&IVtlCollabBook::GetApplication), 14, "book application"},
      {Slot(&IVtlCollabBook::SaveTo), 19, "book save"},
      {Slot(&IVtlCollabItem::GetSelector), 14, "item selector"},
      {Slot(&IVtlCollabItem::GetLockValue), 27, "item lock value"},
      {Slot(&IVtlCollabItem::GetAttachmentList), 33, "item attachments"},
      {Slot(&IVtlCollabItem::SetChanged), 40, "item changed"},
      {Slot(&IVtlCollabItem::GetEditHolder), 49, "item edit holder"},
      {Slot(&IVtlCollabItem::TakesPart), 53, "item takes part"},
      {Slot(&IVtlCollabEditHolder::GetItem), 3, "holder item"},
      {Slot(&IVtlCollabEditHolder::GetLockService), 5, "holder locks"},
      {Slot(&IVtlCollabEditHolder::GetLocalMember), 7, "holder local member"},
      {Slot(&IVtlCollabEditHolder::MakeEdit), 9, "holder edit"},
      {Slot(&IVtlCollabEditHolder::BeginBatch), 26, "batch begin"},
      {Slot(&IVtlCollabEditHolder::EndBatch), 27, "batch end"},
      {Slot(&IVtlCollabEditHolder::ApplyEdit), 28, "batch edit"},
      {Slot(&IVtlCollabEditHolder::GetRoom), 36, "holder room"},
      {Slot(&IVtlCollabEditHolder::QueryPosition), 41, "holder position"},
      {Slot(&IVtlCollabItemData::GetValue), 3, "data value"},
      {Slot(&IVtlCollabItemData::SetSent), 6, "data sent"},
      {Slot(&IVtlCollabItemData::GetData), 7, "data bytes"},
      {Slot(&IVtlCollabItemData::SetMemberNumber), 13, "edit member"},
      {Slot(&IVtlCollabLockService::Unlock), 4, "unlock"},
      {Slot(&IVtlCollabAttachmentList::AddAttachment), 12, "attachment added"},
      {Slot(&IVtlResourceCache::LookupImage), 9, "image entry"},
      {Slot(&IVtlResourceCache::RestoreImage), 10, "image restore"},
      {Slot(&IVtlResourceCache::GetFontSettings), 11, "font settings"},
      {Slot(&IVtlFontSettings::GetDefaultFaceName), 4, "default face"},
      {Slot(&IVtlFontList::GetFirstPosition), 10, "first face"},
      {Slot(&IVtlFontList::GetNextName), 11, "next face"},
      {Slot(&IKX2XMLFactory::CreateParser), 4, "factory parser"},
      {Slot(&IKX2XMLParser::Parse), 3, "parse bytes"},
      {Slot(&IKX2XMLParser::ParseFile), 4, "parse file"},
      {Slot(&IKX2XMLDocument::GetDocumentElement), 31, "root element"},
      {Slot(&IKX2XMLNode::GetNodeType), 6, "node type"},
      {Slot(&IKX2XMLNode::GetNextSibling), 12, "next sibling"},
      {Slot(&IKX2XMLElement::GetChildNodes), 8, "all children"},
      {Slot(&IKX2XMLElement::GetFirstChild), 9, "first child"},
      {Slot(&IKX2XMLElement::GetText), 28, "text"},
      {Slot(&IKX2XMLElement::GetTagName), 29, "tag"},
      {Slot(&IKX2XMLElement::GetAttribute), 30, "attribute"},
      {Slot(&IKX2XMLElement::GetChildren), 36, "children so named"},
      {Slot(&IKX2XMLElement::GetAttributeNS), 37, "namespaced attribute"},
      {Slot(&IKX2XMLElement::HasAttribute), 43, "attribute present"},
      {Slot(&IKX2XMLNodeList::GetItem), 3, "list item"},
      {Slot(&IKX2XMLNodeList::GetCount), 4, "list count"},
      {Slot(&IVtlObject::GetTarget), 3, "format target"},
      {Slot(&IVtlObject::GetGuid), 4, "node GUID"},
      {Slot(&IVtlObject::SetListElement), 7, "list element"},
      {Slot(&IVtlObject::GetProperty), 8, "get"},
      {Slot(&IVtlObject::GetPropertyRecord), 9, "stored record"},
      {Slot(&IVtlObject::GetSubObject), 10, "sub-object by property"},
      {Slot(&IVtlObject::SetProperty), 12, "set"},
      {Slot(&IVtlObject::GetObjectGuid), 14, "object GUID"},
      {Slot(&IVtlObject::FindAttached), 15, "attached handle"},
      {Slot(&IVtlObject::GetObject), 16, "attached or sub-object"},
      {Slot(&IVtlObject::CreateList), 17, "list"},
      {Slot(&IVtlObject::RemoveProperty), 18, "remove"},
      {Slot(&IVtlObject::InitFrom), 20, "init from"},
      {Slot(&IVtlDocumentManager::GetFirstDocumentPosition), 6, "first document"},
      {Slot(&IVtlDocumentManager::GetNextDocument), 7, "next document"},
      {Slot(&IVtlDocumentManager::NewDocument), 18, "new document"},
      {Slot(&IVtlDocument::SetTitle), 9, "title"},
      {Slot(&IVtlDocument::GetModel), 18, "model"},
      {Slot(&IVtlDocument::GetView), 23, "view"},
      {Slot(&IVtlDocument::AcceptsImport), 37, "accepts import"},
      {Slot(&IVtlView::Activate), 13, "view activate"},
      {Slot(&IVtlModel::GetDocumentObject), 4, "document object"},
      {Slot(&IVtlModel::GetRootNode), 8, "root node"},
      {Slot(&IVtlModel::GetCursor), 11, "cursor"},
      {Slot(&IVtlModel::GetTextReader), 12, "text reader"},
      {Slot(&IVtlModel::GetTextStyleList), 17, "text styles"},
      {Slot(&IVtlModel::GetParagraphStyleTarget), 18, "paragraph style"},
      {Slot(&IVtlModel::GetObjectTable), 30, "object table"},
      {Slot(&IVtlModel::InsertTopic), 37, "insert topic"},
      {Slot(&IVtlModel::AttachObject), 38, "attach"},
      {Slot(&IVtlModel::InsertControl), 45, "tab"},
      {Slot(&IVtlModel::InsertText), 47, "text"},
      {Slot(&IVtlModel::InsertParagraphBreak), 49, "paragraph"},
      {Slot(&IVtlModel::BeginTextInput), 50, "text input"},
      {Slot(&IVtlModel::GetFormat), 57, "get format"},
      {Slot(&IVtlModel::SetFormat), 58, "set format"},
      {Slot(&IVtlModel::ApplyFormat), 60, "apply format"},
      {Slot(&IVtlModel::PlaceObject), 64, "place"},
      {Slot(&IVtlModel::EndSheet), 71, "sheet done"},
      {Slot(&IVtlCursor::EndTextInput), 13, "end input"},
      {Slot(&IVtlCursor::SetTextMode), 19, "text mode"},
      {Slot(&IVtlCursor::GetCurrentNode), 24, "current node"},
      {Slot(&IVtlCursor::SetCurrentNode), 35, "set current"},
      {Slot(&IVtlTextReader::Open), 9, "reader open"},
      {Slot(&IVtlTextReader::Rewind), 10, "reader start"},
      {Slot(&IVtlTextReader::ReadChunk), 12, "reader chunk"},
      {Slot(&IVtlStyleTarget::GetStyle), 3, "style entry"},
      {Slot(&IVtlStyleTarget::ApplyStyle), 4, "apply style"},
      {Slot(&IVtlObjectTable::GetIndex), 3, "table index"},
      {Slot(&IVtlObjectTable::AddAtTop), 4, "add at top"},
      {Slot(&IVtlObjectTable::AddUnder), 6, "add under"},
      {Slot(&IVtlObjectTable::UpdateGroup), 9, "update group"},
      {Slot(&IVtlObjectTable::UpdateEntry), 10, "update entry"},
      {Slot(&IVtlTableIndex::FindPosition), 7, "position by GUID"},
      {Slot(&IVtlTableIndex::FindEntry), 9, "entry by GUID"},
      {Slot(&IVtlTableEntry::GetGuid), 3, "entry GUID"},
      {Slot(&IVtlTableEntry::ReadGroupInto), 7, "read group"},
      {Slot(&IVtlTableEntry::ReadInto), 9, "read entry"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.name;
}

}  // namespace
