// The kit's outer identifier mapper and step sink.
#include <vantorel/testkit_mapper.h>

#include "core/census.h"

namespace vantorel::testkit {

struct OuterMapperState {
  std::map<std::pair<int32_t, int32_t>, uint32_t> mapIn;
  std::map<std::pair<int32_t, uint32_t>, int32_t> mapOut;
  std::map<uint32_t, int32_t> counts;
  std::vector<std::pair<uint32_t, uint32_t>> registered;
  std::vector<std::string> calls;
};

namespace {

using vantorel::detail::RefCounted;

class KitOuterMapper : public RefCounted<IKx2ShapeMapperCtx> {
 public:
  explicit KitOuterMapper(std::shared_ptr<OuterMapperState> state) : state_(std::move(state)) {}
  const char* Kind() const override { return "kit outer mapper"; }

  IKx2ShapeMapperCtx* GetMapper(int32_t which) override {
    state_->calls.push_back("GetMapper " + std::to_string(which));
    return which == 0 || which == 1 ? this : nullptr;
  }
  int32_t GetCount(uint32_t code) override {
    state_->calls.push_back("GetCount " + std::to_string(code));
    auto it = state_->counts.find(code);
    return it == state_->counts.end() ? 0 : it->second;
  }
  void SetCount(uint32_t code, int32_t value) override {
    state_->calls.push_back("SetCount " + std::to_string(code) + " " + std::to_string(value));
    state_->counts[code] = value;
  }
  uint32_t MapIn(int32_t code, int32_t fileId) override {
    auto it = state_->mapIn.find({code, fileId});
    const uint32_t answer = it == state_->mapIn.end() ? static_cast<uint32_t>(fileId) : it->second;
    state_->calls.push_back("MapIn " + std::to_string(code) + " " + std::to_string(fileId) + " -> " +
                            std::to_string(answer));
    return answer;
  }
  int32_t MapOut(int32_t code, uint32_t tableId) override {
    auto it = state_->mapOut.find({code, tableId});
    const int32_t answer = it == state_->mapOut.end() ? static_cast<int32_t>(tableId) : it->second;
    state_->calls.push_back("MapOut " + std::to_string(code) + " " + std::to_string(tableId) + " -> " +
                            std::to_string(answer));
    return answer;
  }
  void Reserved(int32_t first, int32_t second) override {
    state_->calls.push_back("Reserved " + std::to_string(first) + " " + std::to_string(second));
  }
  int32_t Register(uint32_t code, uint32_t tableId) override {
    state_->calls.push_back("Register " + std::to_string(code) + " " + std::to_string(tableId));
    state_->registered.emplace_back(code, tableId);
    return 1;
  }

 private:
  std::shared_ptr<OuterMapperState> state_;
};

}  // namespace

OuterMapperKit::OuterMapperKit() : state_(std::make_shared<OuterMapperState>()), mapper_(new KitOuterMapper(state_)) {}

OuterMapperKit::~OuterMapperKit() { mapper_->Release(); }

void OuterMapperKit::SetMapIn(int32_t code, int32_t fileId, uint32_t tableId) {
  state_->mapIn[{code, fileId}] = tableId;
}

void OuterMapperKit::SetMapOut(int32_t code, uint32_t tableId, int32_t fileId) {
  state_->mapOut[{code, tableId}] = fileId;
}

const std::vector<std::pair<uint32_t, uint32_t>>& OuterMapperKit::registered() const { return state_->registered; }

const std::vector<std::string>& OuterMapperKit::calls() const { return state_->calls; }
void OuterMapperKit::ClearCalls() { state_->calls.clear(); }

int32_t StepSinkKit::Reserved0(int32_t) { return 0; }

int32_t StepSinkKit::Step(int32_t units) {
  steps_.push_back(units);
  return 1;
}

}  // namespace vantorel::testkit
