#pragma once
// The reference frame's own words, in the two languages of the DTM: those of the terminal run,
// those of the window, and those that tell the faults of the frame's library. The DTM's texts come
// from its dictionaries; these are the frame's.

#include <cstdint>
#include <iterator>
#include <string>

#include "frame/FrameFault.h"
#include "platform/runtime/ImportRefusal.h"
#include "value/Variant.h"

namespace kv {

// The DTM's function groups, by the names its function list gives them.
inline constexpr const char* kFunctionGroups[] = {"Trend", "Measure", "Diagnosis", "Simulation",
                                                  "Operation"};

struct FrameWords {
    // --- the window ---
    const char* title;
    const char* connect;
    const char* disconnect;
    // Also the title of the terminal run's progress bar.
    const char* upload;
    const char* download;
    const char* save;
    const char* language;
    const char* functions;
    // The project's instances: the list's title and its columns. The tag is the DTM's term
    // for "~/Tag".
    const char* instances;
    const char* instance;
    const char* tag;
    const char* deviceType;
    // The state of an instance (otherConnected, %1 a system tag: why it cannot connect now),
    // and the ends of connecting and disconnecting.
    const char* connected;
    const char* disconnected;
    const char* otherConnected;
    const char* connecting;
    const char* connectDone;
    const char* disconnectDone;
    // The failures (connectFailed, uploadFailed ...) end without a stop: a reason may follow.
    const char* connectFailed;
    const char* disconnecting;
    const char* channelRefused;
    const char* uploading;
    const char* uploaded;
    const char* uploadFailed;
    const char* downloading;
    const char* downloaded;
    const char* downloadFailed;
    const char* notStarted;
    // The ends of a page's read and write.
    const char* read;
    const char* readFailed;
    const char* written;
    const char* writeFailed;
    // Why a connection or a transfer failed; a denied access names the protection the device
    // reports, in the DTM's terms.
    const char* notReachable;
    const char* noAnswer;
    const char* connectionLost;
    const char* deviceRefused;
    const char* accessDenied;
    const char* writeLocking;
    const char* hardwareSwitch;
    const char* deviceError;
    // The project saved (%1: its file), not saved (a reason follows), or not saved now.
    const char* saved;
    const char* saveFailed;
    const char* saveWhileBusy;
    const char* noUserInterface;
    const char* cannotOpen;
    const char* refusesToClose;
    const char* saveQuestion;
    // The buttons of message boxes.
    const char* ok;
    const char* cancel;
    const char* yes;
    const char* no;
    const char* abort;
    const char* retry;
    const char* ignore;
    // Closing the window with changed data (%1: the instances): Save, Discard or Cancel; the
    // instances are named as "%1 and %2", the rest counted.
    const char* closeQuestion;
    const char* discard;
    const char* namesAnd;
    const char* otherInstances;
    // Closing a tab (%1: its title) that holds input that closing drops: Discard or Cancel.
    const char* tabInputQuestion;
    // The names of the DTM's function groups, in the order of kFunctionGroups.
    const char* groups[std::size(kFunctionGroups)];
    // Closing the window while pages hold input that closing drops: %1 the instances whose
    // data changed (those included), %2 those with the input.
    const char* closeInputQuestion;
    // The short header of the instances' tag column; the tag's term is its tool tip.
    const char* tagColumn;

    // --- the terminal run: the titles of its lines and what follows them ---
    const char* project;
    const char* created;
    const char* opened;
    const char* device;
    const char* simulated;
    const char* identNumber;
    const char* profileRevision;
    const char* connectingTitle;
    const char* identityChecked;
    const char* accepted;
    const char* parametersRead;
    const char* identification;
    const char* liveValues;
    const char* noDiagnosis;
    const char* notANumber;
    const char* savedTitle;
    const char* document;
    // A question of the DTM: the choice offered, the answers, and why none was typed.
    const char* question;
    const char* answerYes;
    const char* answerNo;
    const char* noTerminal;
    // Its messages; %1 and %2 stand for a path or a detail.
    const char* dictionaryFolderMissing;
    const char* dictionaryFileMissing;
    const char* dictionaryFileUnreadable;
    const char* dictionaryFileDamaged;
    // Why a dictionary file is damaged (%1 the parser's reason, %2 the line).
    const char* dictionaryNotWellFormed;
    const char* notADictionary;
    const char* dictionaryHint;
    const char* folderMissing;
    const char* folderNotWritable;
    const char* notAFile;
    const char* readOnly;
    const char* channelRefusedMessage;
    const char* deviceRefusedMessage;
    const char* deviceUnreachable;
    const char* uploadFailedMessage;
    const char* uploadNotStarted;
    const char* noDocument;
    const char* unexpected;
    const char* noWindow;
    // --screenshot: %1 and %2 stand for a folder, a file, a number or a detail.
    const char* folderNotMade;
    const char* mainWindowNotOpen;
    const char* pictureNotWritten;
    const char* picturesWritten;

    // --- the frame's faults (see Describe); %1, %2 and %3 stand for what each one names ---
    // A file that cannot be written: folderMissing, folderNotWritable, notAFile and readOnly
    // above, and these (%1 the file, %2 the system's reason).
    const char* noTemporaryFile;
    const char* cannotWrite;
    const char* notWritten;
    // A project file that cannot be read.
    const char* noRegularFile;
    const char* cannotOpenProject;
    const char* cannotReadProject;
    // A damaged project file (%1), with what is damaged (%2). The damages, and an instance's
    // faults below, are parts of a sentence; where no file is named, one begins the sentence.
    const char* projectDamaged;
    const char* notWellFormed;
    const char* noProject;
    const char* wrongVersion;
    const char* foreignElement;
    const char* noSystemTag;
    const char* tagTwice;
    const char* noDeviceType;
    const char* unknownDeviceType;
    const char* wrongChild;
    const char* noBag;
    const char* bagFault;
    const char* moreBagFaults;
    const char* storedDataRefused;
    // Why an instance's property bag does not read, by BagProblem::Kind (%1 the property, named
    // by property or namedProperty); and why the parser refuses a text, by its status
    // (pugi::xml_parse_status), where the language has words of its own (else the parser's
    // description, which is English, tells it).
    const char* property;
    const char* namedProperty;
    const char* bagProblems[BagProblem::kRepeatedName + 1];
    const char* parseFaults[17];
    // An instance that cannot be set up (%1 its system tag).
    const char* noTagGiven;
    const char* tagTaken;
    const char* noDtm;
    const char* dtmNotCreated;
    const char* environmentRefused;
    const char* deviceTypeRefused;
    // A project that cannot be saved (%1 its file).
    const char* instanceNotSaved;
    const char* notSaved;
    // The reasons of the system (errno) that a user meets, where the language has words of its
    // own; the system's own text tells the rest (and, in English, these too).
    const char* noSpace;
    const char* fileTooLarge;
    const char* permissionDenied;
    const char* readOnlyFileSystem;
    const char* noSuchFile;
    const char* notAFolder;

    // --- what an import of a parameter document did not take (see Describe) ---
    // By ImportRefusal::Kind: %1 the document's value, %2 its unit, %3 the element's unit; for
    // the user level %1 the level asked for and %2 the user's. A variable's refusal follows its
    // name (importVariable when it has none: %1 its place in the document) and ": ".
    const char* importRefusals[ImportRefusal::kNotValid + 1];
    const char* importVariable;
    const char* importNotConvertibleToNone;
    // The limits that follow a refusal (importWithin: %1 the refusal, %2 its limits): ranges in
    // the element's unit, joined by importOr, and the most characters of a text.
    const char* importWithin;
    const char* importRange;
    const char* importAtLeast;
    const char* importAtMost;
    const char* importOr;
    const char* importMostCharacters;
    NumberLocale importNumbers;
};

// The words of a language id: German for German, English for every other language.
const FrameWords& FrameWordsOf(int32_t language);

// The words with %1, %2 and %3 replaced.
std::string WithArguments(const char* words, const std::string& a1, const std::string& a2 = "",
                          const std::string& a3 = "");
// The text ending as a sentence: a full stop added where none ends it.
std::string AsSentence(std::string text);
// The fault as a sentence in the words given.
std::string Describe(const FrameFault& fault, const FrameWords& words);
// What an import did not take, and why, in the words given.
std::string Describe(const ImportRefusal& refusal, const FrameWords& words);
// The system's error number (errno) in the words given.
std::string DescribeSystemError(int error, const FrameWords& words);
// Why the XML parser refuses a text (its pugi::xml_parse_status) in the words given.
std::string DescribeParseFault(int status, const FrameWords& words);

}  // namespace kv
