#include "sequencer/notation.h"

#include <cctype>
#include <stdexcept>
#include <string>

namespace music {

namespace {

struct Token {
    std::string_view note;
    double length;
};

// Splits "A5/3 -/2" into tokens; validates lengths as it goes.
std::vector<Token> tokens(std::string_view text) {
    std::vector<Token> out;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && std::isspace(static_cast<unsigned char>(text[position])))
            ++position;
        if (position == text.size())
            break;
        std::size_t end = position;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        const std::string_view word = text.substr(position, end - position);
        const std::size_t slash = word.find('/');
        if (slash == std::string_view::npos || slash + 1 == word.size())
            throw std::invalid_argument("melody token without length: " + std::string(word));
        const double length = std::stod(std::string(word.substr(slash + 1)));
        if (!(length > 0.0))
            throw std::invalid_argument("melody token with bad length: " + std::string(word));
        out.push_back({word.substr(0, slash), length});
        position = end;
    }
    return out;
}

} // namespace

float noteNumber(std::string_view name) {
    static constexpr int kSemitoneOfLetter[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (name.size() < 2)
        throw std::invalid_argument("bad note name: " + std::string(name));
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G')
        throw std::invalid_argument("bad note name: " + std::string(name));
    int semitone = kSemitoneOfLetter[letter - 'A'];
    std::size_t position = 1;
    if (name[position] == '#') {
        ++semitone;
        ++position;
    } else if (name[position] == 'b') {
        --semitone;
        ++position;
    }
    const std::string_view octaveText = name.substr(position);
    if (octaveText.empty() ||
        (octaveText.size() == 1 && !std::isdigit(static_cast<unsigned char>(octaveText[0]))) ||
        octaveText.size() > 2)
        throw std::invalid_argument("bad note name: " + std::string(name));
    std::size_t used = 0;
    const int octave = std::stoi(std::string(octaveText), &used);
    if (used != octaveText.size())
        throw std::invalid_argument("bad note name: " + std::string(name));
    return static_cast<float>((octave + 1) * 12 + semitone);
}

std::vector<Note> melody(double startStep, std::string_view text, float velocity, float transpose) {
    std::vector<Note> notes;
    double step = startStep;
    for (const Token& token : tokens(text)) {
        if (token.note != "-")
            notes.push_back({step, token.length, noteNumber(token.note) + transpose, velocity});
        step += token.length;
    }
    return notes;
}

double melodyLength(std::string_view text) {
    double total = 0.0;
    for (const Token& token : tokens(text))
        total += token.length;
    return total;
}

std::vector<Note> rhythm(double startStep, std::string_view grid, float pitch, float velocity,
                         double lengthSteps) {
    std::vector<Note> notes;
    double step = startStep;
    for (char symbol : grid) {
        float scale = 0.0f;
        switch (symbol) {
        case ' ':
        case '|':
            continue;
        case 'X':
            scale = 1.0f;
            break;
        case 'x':
            scale = 0.75f;
            break;
        case 'o':
            scale = 0.45f;
            break;
        case '.':
            break;
        default:
            throw std::invalid_argument(std::string("bad rhythm symbol: ") + symbol);
        }
        if (scale > 0.0f)
            notes.push_back({step, lengthSteps, pitch, velocity * scale});
        step += 1.0;
    }
    return notes;
}

} // namespace music
