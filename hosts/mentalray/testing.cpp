#include "hosts/mentalray/testing.h"

#include <atomic>
#include <cstring>
#include <string>

#include "hosts/mentalray/error.h"
#include "hosts/mentalray/sceneStore.h"

namespace mrhost {
namespace {

std::atomic<bool> logging{false};
std::atomic<int> recorded{0};
CallRecord records[kMaxCallRecords];
std::atomic<bool> scribble{false};

miBoolean constantShader(void* result, miState* /*state*/, const void* params) {
  int size;
  std::memcpy(&size, params, sizeof size);
  std::memcpy(result, static_cast<const char*>(params) + 16, static_cast<std::size_t>(size));
  return miTRUE;
}

}  // namespace

namespace detail {

bool callLogOn() { return logging.load(std::memory_order_relaxed); }

void logCall(RendererCall call, const miState* state, const void* param, miTag light,
             miInteger counter) {
  const int index = recorded.fetch_add(1, std::memory_order_relaxed);
  if (index >= kMaxCallRecords) return;
  CallRecord& record = records[index];
  record.call = call;
  record.statePointer = state;
  if (state) std::memcpy(&record.state, state, sizeof record.state);
  record.param = param;
  record.light = light;
  record.counter = counter;
}

bool scribbling() { return scribble.load(std::memory_order_relaxed); }

}  // namespace detail

miTag addScriptedLight(const std::vector<ScriptedSample>& samples) {
  if (samples.size() > static_cast<std::size_t>(kMaxScriptedSamples))
    throw Error("a scripted light holds at most " + std::to_string(kMaxScriptedSamples) +
                " samples");
  detail::Element element;
  element.kind = detail::ElementKind::ScriptedLight;
  for (std::size_t i = 0; i < samples.size(); ++i) element.script[i] = samples[i];
  element.scriptLength = static_cast<int>(samples.size());
  return detail::add(defaultScene(), element);
}

miTag addConstantShader(const void* value, int size) {
  if (size <= 0 || size > kMaxShaderParamBytes - 16)
    throw Error("a constant shader holds 1 to " + std::to_string(kMaxShaderParamBytes - 16) +
                " bytes");
  unsigned char params[kMaxShaderParamBytes] = {};
  std::memcpy(params, &size, sizeof size);
  std::memcpy(params + 16, value, static_cast<std::size_t>(size));
  return addShader(constantShader, params, kMaxShaderParamBytes, size);
}

void startCallLog() {
  logging.store(false);
  recorded.store(0);
  logging.store(true);
}

void stopCallLog() { logging.store(false); }

std::vector<CallRecord> callLog() {
  const int count = recorded.load();
  return std::vector<CallRecord>(records,
                                 records + (count < kMaxCallRecords ? count : kMaxCallRecords));
}

void scribbleOnStates(bool on) { scribble.store(on); }

}  // namespace mrhost
