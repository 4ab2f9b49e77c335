// Replays every input kept beside each fuzz target (its seeds and every input
// that ever failed) through the target's own checks.
#include <doctest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/fuzz/fuzz_target.h"

namespace {

std::map<std::string, fuzz::Target>& Targets()
{
    static std::map<std::string, fuzz::Target> targets;
    return targets;
}

} // namespace

bool fuzz::Register(const char* name, Target target)
{
    Targets()[name] = target;
    return true;
}

TEST_CASE("Fuzz::KeptInputsReplay")
{
    REQUIRE_FALSE(Targets().empty());
    for (const auto& [name, target] : Targets()) {
        const std::filesystem::path folder = std::filesystem::path(FUZZ_INPUTS_DIR) / name;
        REQUIRE_MESSAGE(std::filesystem::is_directory(folder), folder.string());
        int replayed = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            INFO(name, ": ", entry.path().filename().string());
            try {
                target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            } catch (const fuzz::Failure& failure) {
                FAIL_CHECK(failure.file, ":", failure.line, ": ", failure.condition);
            }
            ++replayed;
        }
        CHECK_MESSAGE(replayed > 0, name);
    }
}
