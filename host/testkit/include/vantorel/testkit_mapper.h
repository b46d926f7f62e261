// Test kit: the caller's outer identifier mapper and the step sink that a document's save or
// load hands to the engine's per-file mapper.
//
// The outer mapper answers MapIn and MapOut from the answers a test sets, and with the
// identifier it was given for anything not set, so that it carries colour and shape
// identifiers unchanged. It keeps the counters set on it and the identifiers registered with
// it. Both record every call made on them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <plastrum/format/ShapeMapper.h>

namespace vantorel::testkit {

struct OuterMapperState;

class OuterMapperKit {
 public:
  OuterMapperKit();
  ~OuterMapperKit();
  OuterMapperKit(const OuterMapperKit&) = delete;
  OuterMapperKit& operator=(const OuterMapperKit&) = delete;

  IKx2ShapeMapperCtx* mapper() const { return mapper_; }

  void SetMapIn(int32_t code, int32_t fileId, uint32_t tableId);
  void SetMapOut(int32_t code, uint32_t tableId, int32_t fileId);
  // (code, identifier) pairs in the order they were registered.
  const std::vector<std::pair<uint32_t, uint32_t>>& registered() const;

  // One line per call, e.g. "MapIn 265 3 -> 7", "Register 264 2".
  const std::vector<std::string>& calls() const;
  void ClearCalls();

 private:
  std::shared_ptr<OuterMapperState> state_;
  IKx2ShapeMapperCtx* mapper_;
};

class StepSinkKit final : public IKx2StepSink {
 public:
  StepSinkKit() = default;
  ~StepSinkKit() = default;
  StepSinkKit(const StepSinkKit&) = delete;
  StepSinkKit& operator=(const StepSinkKit&) = delete;

  IKx2StepSink* sink() { return this; }
  int32_t Reserved0(int32_t value) override;
  int32_t Step(int32_t units) override;

  // The argument of every Step call, in order.
  const std::vector<int32_t>& steps() const { return steps_; }

 private:
  std::vector<int32_t> steps_;
};

}  // namespace vantorel::testkit
