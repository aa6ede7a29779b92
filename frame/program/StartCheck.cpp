#include "frame/program/StartCheck.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <vector>

#include "frame/FileWriting.h"
#include "frame/program/Terminal.h"
#include "platform/os/ComponentFolder.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/IDTMDictionary.h"

namespace kv::program {

namespace {

namespace fs = std::filesystem;

// The name of the DTM's dictionary files (<name>_<language>[_<part>].xml).
const char* const kDictionaryName = "DTMDictionary";

// The dictionary fault in the user's words.
std::string Describe(const DictionaryFault& fault, const FrameWords& words) {
    switch (fault.kind) {
        case DictionaryFault::kFolderMissing:
            return WithArguments(words.dictionaryFolderMissing, fault.path);
        case DictionaryFault::kFileMissing:
            return WithArguments(words.dictionaryFileMissing, fault.path);
        case DictionaryFault::kFileUnreadable:
            return WithArguments(
                words.dictionaryFileUnreadable, fault.path,
                fault.error != 0 ? DescribeSystemError(fault.error, words) : fault.detail);
        case DictionaryFault::kFileDamaged:
            return WithArguments(words.dictionaryFileDamaged, fault.path,
                                 fault.status != 0
                                     ? WithArguments(words.dictionaryNotWellFormed,
                                                     DescribeParseFault(fault.status, words),
                                                     std::to_string(fault.line))
                                     : words.notADictionary);
    }
    return fault.message;
}

}  // namespace

std::string DocumentPath(const std::string& project) {
    fs::path p(project);
    p.replace_extension();
    return p.string() + ".parameters.xml";
}

bool CanStart(const Options& options, const FrameWords& words, Writes writes) {
    if (!options.missingLanguage.empty()) {
        std::cerr << "kv6274pa-frame: the DTM has no texts in \"" << options.missingLanguage
                  << "\"; it runs in English.\n";
    }
    std::vector<int32_t> languages{langEnglish};
    if (options.language != langEnglish)
        languages.push_back(options.language);
    if (const std::optional<DictionaryFault> fault =
            DTMDictionary::CheckFolder(os::XmlDataFolder(), kDictionaryName, languages)) {
        Fail(Describe(*fault, words));
        std::cerr << words.dictionaryHint << "\n";
        return false;
    }
    std::vector<std::string> files;
    if (writes != Writes::Nothing)
        files.push_back(options.project);
    if (writes == Writes::ProjectAndDocument)
        files.push_back(DocumentPath(options.project));
    for (const std::string& file : files) {
        if (FrameFault fault; !CheckWritable(file, fault)) {
            Fail(Describe(fault, words));
            return false;
        }
    }
    return true;
}

}  // namespace kv::program
