#include "base/file_save.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace plorimet {

namespace {

constexpr std::size_t kLongestTemporaryName = 12;

}  // namespace

std::string TemporaryFileName(std::size_t targetNameLength, std::uint64_t number) {
    const std::size_t length = std::min(std::max<std::size_t>(targetNameLength, 1) + 2, kLongestTemporaryName);
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "~";
    while (name.size() < length) {
        name += kDigits[number % 36];
        number /= 36;
    }
    return name;
}

std::uint64_t TemporaryNameNumber() {
    // Seeded once per thread from the system's entropy and the clock (some C libraries'
    // random devices are deterministic), so two processes saving at once draw apart.
    thread_local std::mt19937_64 engine{[] {
        std::random_device device;
        const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::seed_seq seed{device(), device(), static_cast<unsigned>(ticks), static_cast<unsigned>(ticks >> 32)};
        return std::mt19937_64(seed);
    }()};
    return engine();
}

std::optional<MessageId> SaveFailureMessage(SaveOutcome outcome, SavedFile file) {
    switch (outcome) {
        case SaveOutcome::Saved: return std::nullopt;
        case SaveOutcome::CannotWrite: return MessageId::UnableToWriteInFile;
        case SaveOutcome::CannotCreate:
        case SaveOutcome::ReadOnlyTarget: break;
    }
    return file == SavedFile::Data ? MessageId::CannotCreateDataFile : MessageId::UnableToOpenFile;
}

}  // namespace plorimet
