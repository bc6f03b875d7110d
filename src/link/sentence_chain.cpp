#include "link/sentence_chain.h"

#include <utility>

namespace gnss {

namespace {
constexpr std::size_t Index(ChainSlot slot) {
    return static_cast<std::size_t>(slot);
}
}  // namespace

void SentenceChain::Register(ChainSlot slot, ChainConsumer consumer) {
    if (consumer) slots_[Index(slot)].push_back(std::move(consumer));
}

void SentenceChain::Clear(ChainSlot slot) {
    slots_[Index(slot)].clear();
}

bool SentenceChain::RunSlots(std::size_t from, std::size_t to, SentenceContext& ctx,
                             bool& result) const {
    for (std::size_t slot = from; slot < to; ++slot) {
        for (const auto& consumer : slots_[slot]) {
            const ChainStep step = consumer(ctx);
            if (step == ChainStep::Continue) continue;
            result = step == ChainStep::EndTrue;
            return true;
        }
    }
    return false;
}

bool SentenceChain::HandleSentence(std::string_view line) {
    if (line.empty()) return false;
    SentenceContext ctx{line};
    bool result = false;
    if (RunSlots(Index(ChainSlot::DrStatus), Index(ChainSlot::SensorAttitude), ctx, result)) {
        return result;
    }
    if (line.size() <= 9 || line.front() != '$') return false;
    if (line.starts_with("$PUN")) return false;
    if (RunSlots(Index(ChainSlot::SensorAttitude), kChainSlotCount, ctx, result)) return result;
    return true;
}

}  // namespace gnss
