// Received co-editing against the host doing the same work itself: 1,000 edits of 1 KiB (a
// topic's text), each as packets 24 of kinds 0, 3 and 1 through an item receiver's Receive and
// ProcessPackets into the host's topics, beside the host applying the same 1,000 edits to its
// topics directly (and, for scale, setting the bare texts).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <tendril/packet.h>
#include <tendril/rooms_testing.h>
#include <tendril/tendril_interfaces.h>
#include <vantorel/collab_book.h>
#include <vantorel/collab_host.h>
#include <vantorel/exports.h>
#include <vantorel/host_api.h>
#include <vantorel/object_census.h>

namespace {

constexpr int kEdits = 1000;
constexpr int kTopics = 10;
// 511 units and the value's type word: 1 KiB of edit data.
constexpr size_t kTextUnits = 511;

std::u16string TextOf(int i) { return std::u16string(kTextUnits, static_cast<char16_t>(u'a' + i % 26)); }

struct Host {
  Host() {
    VtlGetApplication();
    vantorel::CloseAllDocuments();
    vantorel::SetCollabAccount(true, u"ann@example.org");
    doc = vantorel::OpenDocument();
    for (int t = 0; t < kTopics; ++t) vantorel::AddTopic(doc, {}, u"topic");
  }
  ~Host() {
    vantorel::DropCollabBooks();
    vantorel::CloseAllDocuments();
  }
  int doc = 0;
};

// The member record of an edit packet from "bob" for the selector.
void AppendRecord(std::vector<unsigned char>& out, int32_t value, int32_t length, const LONG* selector) {
  const size_t start = out.size();
  out.resize(start + 804, 0);
  out[start] = 'r';
  const char16_t user[] = u"bob";
  for (size_t i = 0; i < 3; ++i) out[start + 260 + 2 * i] = static_cast<unsigned char>(user[i]);
  TDRL::StoreInt32LE(out.data() + start + 780, value);
  TDRL::StoreInt32LE(out.data() + start + 784, length);
  for (int i = 0; i < 4; ++i) TDRL::StoreInt32LE(out.data() + start + 788 + 4 * i, selector[i]);
}

// One room receiving the 1,000 edits; the timing is paused around its making and removal.
void ReceiveAll(benchmark::State* state, Host& host, IXmppMeetingManager* manager) {
  {
    IMeetingRoom* room = manager->FindMeetingRoomById(manager->CreateMeetingRoom("r"));
    room->GetWorkbookSyncManager()->SetBook(vantorel::CollabBook(host.doc));
    // The bodies as they come off the network; the packets are made from them in the loop.
    std::vector<std::vector<unsigned char>> begin(kTopics), end(kTopics), data(kEdits);
    std::vector<ItemSelector> selectors(kTopics);
    for (int t = 0; t < kTopics; ++t) {
      vantorel::TopicSelector(host.doc, {t}, reinterpret_cast<LONG*>(selectors[t].values));
      const auto* sel = reinterpret_cast<const LONG*>(selectors[t].values);
      AppendRecord(begin[t], 0, 12, sel);
      for (int32_t v : {1, 1234, 0}) {
        begin[t].resize(begin[t].size() + 4);
        TDRL::StoreInt32LE(begin[t].data() + begin[t].size() - 4, v);
      }
      AppendRecord(end[t], 0, 0, sel);
    }
    for (int i = 0; i < kEdits; ++i) {
      const std::vector<unsigned char> value = vantorel::EncodeTextValue(TextOf(i));
      AppendRecord(data[i], vantorel::kCollabTopicText, static_cast<int32_t>(value.size()),
                   reinterpret_cast<const LONG*>(selectors[i % kTopics].values));
      data[i].insert(data[i].end(), value.begin(), value.end());
    }
    ICoEditManager* coEdit = room->GetCoEditManager();
    for (const ItemSelector& s : selectors) coEdit->GetItemReceiver(s);
    if (state) state->ResumeTiming();

    for (int i = 0; i < kEdits; ++i) {
      const int t = i % kTopics;
      const struct {
        const std::vector<unsigned char>& body;
        int32_t kind;
      } packets[] = {{begin[t], 0}, {data[i], 3}, {end[t], 1}};
      for (const auto& p : packets) {
        TDRL::Packet packet;
        TDRL::CreatePacket(24, p.kind, p.body.data(), static_cast<int32_t>(p.body.size()), packet);
        TDRL_ReceiveItemPacketForTest(room, selectors[t], packet);
      }
      coEdit->GetItemReceiver(selectors[t])->ProcessPackets();
    }

    if (state) state->PauseTiming();
    if (state && vantorel::TopicText(host.doc, {kTopics - 1}) != TextOf(kEdits - 1)) {
      state->SkipWithError("edits not applied");
    }
    manager->RemoveMeetingRoom(room);
  }
}

void ReceivedEdits(benchmark::State& state) {
  Host host;
  ITendril* tendril = GetTendrilInterface();
  tendril->SetHostObject(vantorel::CollabHost());
  IXmppMeetingManager* manager = tendril->GetMeetingManager();
  ReceiveAll(nullptr, host, manager);  // warm: first calls bind their symbols and fault their pages in
  for (auto _ : state) {
    state.PauseTiming();
    ReceiveAll(&state, host, manager);
    state.ResumeTiming();
  }
  tendril->Uninit();
  DestroyTendril();
}
BENCHMARK(ReceivedEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

// The peer: the host applies the same edits to its topics itself, through the same edit
// holder calls and without packets (make the edit, apply it as a batch of one).
void DirectEdits(benchmark::State& state) {
  Host host;
  IVtlCollabBook* book = vantorel::CollabBook(host.doc);
  std::vector<IVtlCollabEditHolder*> holders(kTopics);
  for (int t = 0; t < kTopics; ++t) {
    LONG selector[4];
    vantorel::TopicSelector(host.doc, {t}, selector);
    holders[t] = book->FindItem(selector)->GetEditHolder();
  }
  std::vector<std::vector<unsigned char>> values(kEdits);
  for (int i = 0; i < kEdits; ++i) values[i] = vantorel::EncodeTextValue(TextOf(i));
  auto apply = [&] {
    for (int i = 0; i < kEdits; ++i) {
      IVtlCollabEditHolder* holder = holders[i % kTopics];
      IVtlCollabItemData* edit =
          holder->MakeEdit(vantorel::kCollabTopicText, values[i].data(), static_cast<LONG>(values[i].size()));
      holder->BeginBatch();
      holder->ApplyEdit(edit);
      holder->EndBatch();
    }
  };
  apply();  // warm
  for (auto _ : state) apply();
  if (vantorel::TopicText(host.doc, {kTopics - 1}) != TextOf(kEdits - 1)) state.SkipWithError("edits not applied");
}
BENCHMARK(DirectEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

// For scale: the host setting the texts with no edit objects at all.
void DirectTexts(benchmark::State& state) {
  Host host;
  vantorel::CollabBook(host.doc);
  for (int i = 0; i < kEdits; ++i) vantorel::SetTopicText(host.doc, {i % kTopics}, TextOf(i + 1));  // warm
  for (auto _ : state) {
    for (int i = 0; i < kEdits; ++i) vantorel::SetTopicText(host.doc, {i % kTopics}, TextOf(i));
  }
}
BENCHMARK(DirectTexts)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
