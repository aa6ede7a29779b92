// The frame's own words in English and German: what stands alone as a sentence ends as one, and
// a term the frame shares with the DTM is the DTM's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/FrameWords.h"
#include "platform/runtime/IDTMDictionary.h"
#include "support/FrameInstanceFixture.h"

namespace kv {
namespace {

TEST(FrameWords, WhatStandsAloneEndsAsASentenceInBothLanguages) {
    // The status texts, messages and questions; the others are titles, captions, or a part of
    // a sentence that a reason completes.
    const std::vector<const char* FrameWords::*> sentences = {
        &FrameWords::connecting,
        &FrameWords::connectDone,
        &FrameWords::disconnecting,
        &FrameWords::disconnectDone,
        &FrameWords::channelRefused,
        &FrameWords::uploading,
        &FrameWords::uploaded,
        &FrameWords::downloading,
        &FrameWords::downloaded,
        &FrameWords::notStarted,
        &FrameWords::read,
        &FrameWords::written,
        &FrameWords::saved,
        &FrameWords::saveWhileBusy,
        &FrameWords::noUserInterface,
        &FrameWords::cannotOpen,
        &FrameWords::refusesToClose,
        &FrameWords::saveQuestion,
        &FrameWords::closeQuestion,
        &FrameWords::tabInputQuestion,
        &FrameWords::dictionaryHint,
        &FrameWords::folderMissing,
        &FrameWords::folderNotWritable,
        &FrameWords::notAFile,
        &FrameWords::readOnly,
        &FrameWords::channelRefusedMessage,
        &FrameWords::deviceRefusedMessage,
        &FrameWords::deviceUnreachable,
        &FrameWords::uploadFailedMessage,
        &FrameWords::uploadNotStarted,
        &FrameWords::noDocument,
        &FrameWords::noWindow,
        &FrameWords::folderNotMade,
        &FrameWords::mainWindowNotOpen,
        &FrameWords::pictureNotWritten,
        &FrameWords::picturesWritten,
    };
    for (const int32_t language : {langEnglish, langGerman}) {
        const FrameWords& words = FrameWordsOf(language);
        for (size_t i = 0; i < sentences.size(); ++i) {
            const char* text = words.*sentences[i];
            ASSERT_NE(text, nullptr) << language << " " << i;
            const std::string sentence(text);
            ASSERT_FALSE(sentence.empty()) << language << " " << i;
            EXPECT_TRUE(sentence.back() == '.' || sentence.back() == '?')
                << language << ": " << sentence;
        }
    }
}

TEST(FrameWords, TheTagIsNamedWithTheDTMsTerm) {
    test_support::FrameBench bench;
    for (const int32_t language : {langEnglish, langGerman}) {
        bench.instance->dtm->SetLanguage(language);
        const Variant label = bench.Ctx().Dictionary().GetText("parameters", "~/Tag", "label");
        EXPECT_EQ(FrameWordsOf(language).tag, label.toString()) << language;
    }
}

}  // namespace
}  // namespace kv
