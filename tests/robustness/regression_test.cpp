// Replays every kept input under inputs/ (what the fuzzers found, and
// hand-made hostile meshes) through the reader of its format and the surface
// work the fuzz targets do. Beside each input NAME.ext lies NAME.expect, whose
// first line is the outcome: "loaded", or the reader's exact fatal message.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exercise.h"

using namespace facetry;

namespace {

const std::filesystem::path kInputs = std::filesystem::path(FACETRY_SOURCE_DIR) / "tests/robustness/inputs";

std::vector<std::string> keptInputs() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kInputs))
        if (entry.path().extension() != ".expect") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class KeptInput : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(KeptInput, EndsAsExpected) {
    const std::filesystem::path input = kInputs / GetParam();
    const std::filesystem::path expect = std::filesystem::path(input).replace_extension(".expect");
    ASSERT_TRUE(std::filesystem::exists(expect)) << "no " << expect.filename() << " beside the input";
    const std::string wanted = firstLine(readAll(expect));
    const std::string bytes = readAll(input);

    ExerciseOutcome outcome = exerciseReader(meshFormatOf(input.string()),
                                             reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(outcome.loaded ? std::string("loaded") : outcome.error, wanted);
    if (outcome.loaded) {
        EXPECT_EQ(outcome.levels, kExerciseLevels);
    }
}

INSTANTIATE_TEST_SUITE_P(Robustness, KeptInput, testing::ValuesIn(keptInputs()),
                         [](const testing::TestParamInfo<std::string>& instance) {
                             std::string name = instance.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });
