#include "capture_conditions.h"

namespace tervo::synth {
namespace {

// One row per difficulty, in the order of the enumeration.
//   easy: a careful user on a clean sensor, as in a demonstration;
//   typical: the spread of an unsupervised live-scan collection;
//   hard: hurried placement, dry or wet skin and a worn sensor.
const CaptureConditions kConditions[] = {
    // shift       rotation     careless  slip rot, slip, stretch  pressure    moisture         tilt  noise
    {8.0, 20.0, 5.0, 12.0, 0.05, 1.0, 2.0, 1.0, 0.35, 0.85, 0.25, 0.5, 0.15, 0.04, 3.0, 6.0},
    {25.0, 110.0, 11.0, 35.0, 0.25, 6.0, 9.0, 9.0, 0.10, 0.95, 0.55, 1.0, 0.40, 0.10, 4.0, 12.0},
    {32.0, 110.0, 14.0, 40.0, 0.55, 7.5, 11.0, 11.0, 0.05, 1.00, 0.70, 1.0, 0.50, 0.14, 6.0, 16.0},
};

}  // namespace

const char* difficultyName(Difficulty difficulty) {
    switch (difficulty) {
        case Difficulty::Easy:
            return "easy";
        case Difficulty::Typical:
            return "typical";
        case Difficulty::Hard:
            return "hard";
    }
    return "typical";
}

std::optional<Difficulty> parseDifficulty(const std::string& text) {
    for (Difficulty difficulty : {Difficulty::Easy, Difficulty::Typical, Difficulty::Hard})
        if (text == difficultyName(difficulty)) return difficulty;
    return std::nullopt;
}

const CaptureConditions& captureConditions(Difficulty difficulty) {
    return kConditions[static_cast<int>(difficulty)];
}

}  // namespace tervo::synth
