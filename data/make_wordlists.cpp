// Makes the word lists shipped with the program:
//   FullWordList.txt   every word of an English dictionary made of the letters a-z only
//   AllTwoLetter.txt   aa .. zz
//   AllThreeLetter.txt aaa .. zzz
//   AllFourLetter.txt  aaaa .. zzzz
// One word per line, lines ended by CR LF, in the candidate list format of the program.
//
//   orvelle-make-wordlists DICTIONARY OUTPUT_FOLDER

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>

namespace {

bool IsPlainWord(const std::string &word)
{
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool WriteCombinations(const std::filesystem::path &path, int length)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string word(static_cast<size_t>(length), 'a');
    while (true) {
        out << word << "\r\n";
        int i = length - 1;
        while (i >= 0 && word[static_cast<size_t>(i)] == 'z')
            word[static_cast<size_t>(i--)] = 'a';
        if (i < 0)
            break;
        ++word[static_cast<size_t>(i)];
    }
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: orvelle-make-wordlists DICTIONARY OUTPUT_FOLDER\n";
        return 2;
    }
    std::ifstream dictionary(argv[1], std::ios::binary);
    if (!dictionary) {
        std::cerr << "orvelle-make-wordlists: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::filesystem::path folder(argv[2]);
    std::filesystem::create_directories(folder);

    std::set<std::string> words;
    std::string line;
    while (std::getline(dictionary, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsPlainWord(line))
            words.insert(line);
    }
    std::ofstream full(folder / "FullWordList.txt", std::ios::binary | std::ios::trunc);
    for (const std::string &word : words)
        full << word << "\r\n";
    full.close();

    const bool written = static_cast<bool>(full) && WriteCombinations(folder / "AllTwoLetter.txt", 2) &&
                         WriteCombinations(folder / "AllThreeLetter.txt", 3) &&
                         WriteCombinations(folder / "AllFourLetter.txt", 4);
    if (!written) {
        std::cerr << "orvelle-make-wordlists: cannot write the lists in " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
