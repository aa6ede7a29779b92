#include "frame/FrameWords.h"

#include <pugixml.hpp>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <optional>
#include <ostream>
#include <utility>

#include "frame/FrameProject.h"
#include "platform/runtime/IDTMDictionary.h"

namespace kv {

namespace {

static_assert(std::size(FrameWords{}.parseFaults) == pugi::status_no_document_element + 1,
              "a parse fault's words for every status of the parser");

const FrameWords kEnglish = {
    .title = "KV6274PA reference frame",
    .connect = "Connect",
    .disconnect = "Disconnect",
    .upload = "Upload",
    .download = "Download",
    .save = "Save",
    .language = "Language:",
    .functions = "Functions",
    .instances = "Instances",
    .instance = "Instance",
    .tag = "Tag",
    .deviceType = "Device type",
    .connected = "Connected",
    .disconnected = "Disconnected",
    .otherConnected = "%1 is connected",
    .connecting = "Connecting to the simulated positioner ...",
    .connectDone = "Connected to the simulated positioner.",
    .disconnectDone = "Disconnected from the simulated positioner.",
    .connectFailed = "The connection failed",
    .disconnecting = "Disconnecting ...",
    .channelRefused = "The DTM does not take the communication channel.",
    .uploading = "Uploading the parameters ...",
    .uploaded = "Upload finished.",
    .uploadFailed = "The upload failed",
    .downloading = "Downloading the parameters ...",
    .downloaded = "Download finished.",
    .downloadFailed = "The download failed",
    .notStarted = "The DTM did not start the action.",
    .read = "Read finished.",
    .readFailed = "The read failed",
    .written = "Write finished.",
    .writeFailed = "The write failed",
    .notReachable = "the device cannot be reached",
    .noAnswer = "the device does not answer",
    .connectionLost = "the connection was lost",
    .deviceRefused = "the device is not the expected one",
    .accessDenied = "the device denies access",
    .writeLocking = "writing is locked in the positioner (write locking)",
    .hardwareSwitch = "the positioner is write-protected by its hardware switch",
    .deviceError = "the device reports an error",
    .saved = "The project %1 was saved.",
    .saveFailed = "The project was not saved",
    .saveWhileBusy = "The project is not saved while an upload or a download runs.",
    .noUserInterface = "This function has no user interface.",
    .cannotOpen = "The user interface of this function cannot be opened.",
    .refusesToClose = "The user interface does not close now.",
    .saveQuestion = "The data of %1 have changed. Save the project?",
    .ok = "OK",
    .cancel = "Cancel",
    .yes = "&Yes",
    .no = "&No",
    .abort = "Abort",
    .retry = "Retry",
    .ignore = "Ignore",
    .closeQuestion = "The data of %1 have changed. Save the project before closing?",
    .discard = "Discard",
    .namesAnd = "%1 and %2",
    .otherInstances = "%1 other instances",
    .tabInputQuestion =
        "The tab \"%1\" holds input that was not set; closing the tab discards it. "
        "Discard the input and close the tab?",
    .groups = {"Trend", "Measured values", "Diagnosis", "Simulation", "Operation"},
    .closeInputQuestion =
        "The data of %1 have changed, and input on %2 was not set: closing discards that input, "
        "and saving does not set it. Save the project before closing?",
    .tagColumn = "Tag",
    .project = "Project",
    .created = "created",
    .opened = "opened",
    .device = "Device",
    .simulated = "simulated positioner",
    .identNumber = "ident number",
    .profileRevision = "profile revision",
    .connectingTitle = "Connecting",
    .identityChecked = "connected, identity checked",
    .accepted = "connected; the device was accepted although it does not match",
    .parametersRead = "parameters read",
    .identification = "Identification",
    .liveValues = "Live values",
    .noDiagnosis = "no message",
    .notANumber = "invalid",
    .savedTitle = "Project saved",
    .document = "Parameter document",
    .question = "[Y/n]",
    .answerYes = "yes",
    .answerNo = "no",
    .noTerminal = "(no terminal to ask)",
    .dictionaryFolderMissing = "the dictionary folder %1 is missing or no folder.",
    .dictionaryFileMissing = "the dictionary file %1 is missing.",
    .dictionaryFileUnreadable = "the dictionary file %1 cannot be read (%2).",
    .dictionaryFileDamaged = "the dictionary file %1 is damaged: %2.",
    .dictionaryNotWellFormed = "%1 in line %2",
    .notADictionary = "the root element is not DTMDictionary",
    .dictionaryHint =
        "The program stops before it connects: the DTM needs its dictionaries "
        "(KV6274PA_XMLDATA names their folder).",
    .folderMissing = "the folder %1 of %2 does not exist; nothing was changed.",
    .folderNotWritable =
        "the folder %1 cannot be written, so %2 cannot be saved; nothing was "
        "changed.",
    .notAFile = "%1 is no file; nothing was changed.",
    .readOnly = "%1 is read-only; it was left as it is.",
    .channelRefusedMessage = "the DTM does not take the communication channel.",
    .deviceRefusedMessage =
        "the connected device does not match the DTM and was not accepted "
        "(--yes connects it anyway).",
    .deviceUnreachable = "the device cannot be reached.",
    .uploadFailedMessage = "the upload failed.",
    .uploadNotStarted = "the upload failed to start.",
    .noDocument = "the DTM gives no parameter document.",
    .unexpected = "an unexpected error ended the program",
    .noWindow = "this build has no window (it was built without the user interface).",
    .folderNotMade = "the folder %1 cannot be made: %2.",
    .mainWindowNotOpen = "the main window does not open.",
    .pictureNotWritten = "%1 cannot be written.",
    .picturesWritten = "%1 pictures written to %2.",
    .noTemporaryFile = "Cannot write %1: no temporary file in its folder (%2).",
    .cannotWrite = "Cannot write %1: %2.",
    .notWritten = "Cannot write %1.",
    .noRegularFile = "Cannot open the project %1: it is no regular file.",
    .cannotOpenProject = "Cannot open the project %1: %2.",
    .cannotReadProject = "Cannot read the project %1: %2.",
    .projectDamaged = "The project %1 is damaged: %2. Nothing was loaded.",
    .notWellFormed = "the file is not well-formed XML (%1 at line %2, column %3)",
    .noProject = "the file is no frame project (its root element is <%1>, not <%2>)",
    .wrongVersion =
        "the project has the version \"%1\", which this frame does not read (it reads version "
        "%2)",
    .foreignElement = "element %1 of the project is <%2>, which a project does not hold",
    .noSystemTag = "element %1 of the project is an instance without a system tag",
    .tagTwice = "instance \"%1\" appears twice",
    .noDeviceType = "instance \"%1\" has no device type",
    .unknownDeviceType =
        "instance \"%1\" has the device type \"%2\", which this frame does not know",
    .wrongChild = "instance \"%1\" holds <%2>; an instance holds one <PropertyBag>",
    .noBag = "instance \"%1\" has no property bag",
    .bagFault = "instance \"%1\": %2",
    .moreBagFaults = "%1 (and %2 more)",
    .storedDataRefused = "the DTM of \"%1\" refuses its stored data",
    .property = "property %1",
    .namedProperty = "property %1 \"%2\"",
    .bagProblems = {"not an XML document: %1 at offset %2", "no PropertyBag element",
                    "%1: unknown element %2", "%1: no name", "%1: unknown type \"%2\"",
                    "%1: no value", "%1: bad lbound", "%1: value is no hex text",
                    "%1: value does not read as its type",
                    "%1: repeated name, the first one is kept"},
    // The parser's own descriptions tell why it refuses a text.
    .parseFaults = {},
    .noTagGiven = "an instance needs a system tag",
    .tagTaken = "the project already holds an instance \"%1\"",
    .noDtm = "the device type \"%1\" has no DTM in this frame",
    .dtmNotCreated = "the DTM of \"%1\" cannot be created: %2",
    .environmentRefused = "the DTM of \"%1\" refuses its environment",
    .deviceTypeRefused = "the DTM of \"%1\" cannot set up the device type \"%2\"",
    .instanceNotSaved =
        "Cannot save the project %1: the DTM of \"%2\" cannot save its data. The file was not "
        "changed.",
    .notSaved = "Cannot save the project %1: %2",
    // The system's own texts tell its reasons.
    .noSpace = nullptr,
    .fileTooLarge = nullptr,
    .permissionDenied = nullptr,
    .readOnlyFileSystem = nullptr,
    .noSuchFile = nullptr,
    .notAFolder = nullptr,
    .importRefusals = {"the text is no parameter document",
                       "an upload or download with the device runs", "no such element",
                       "the value was not taken", "the unit \"%2\" is not known",
                       "the value \"%1\" in \"%2\" does not convert into \"%3\"",
                       "the text is empty, the element needs a value",
                       "the value \"%1\" is no value of the element's type",
                       "the value \"%1\" is out of range", "the value \"%1\" is too long",
                       "the value \"%1\" has a character the device cannot take",
                       "the value \"%1\" is no entry of the value list",
                       "it asks for user level %1, the user has level %2",
                       "passed over, a device command takes no value",
                       "passed over, the device only reports it",
                       "passed over, it is write-protected at the moment",
                       "passed over, it is not valid at the moment"},
    .importVariable = "variable %1",
    .importNotConvertibleToNone =
        "the value \"%1\" in \"%2\" does not convert into a value without unit",
    .importWithin = "%1 (%2)",
    .importRange = "%1 to %2",
    .importAtLeast = "at least %1",
    .importAtMost = "at most %1",
    .importOr = " or ",
    .importMostCharacters = "at most %1 characters",
    .importNumbers = {'.', ','},
};

const FrameWords kGerman = {
    .title = "KV6274PA Referenz-Rahmenapplikation",
    .connect = "Verbinden",
    .disconnect = "Trennen",
    .upload = "Upload",
    .download = "Download",
    .save = "Speichern",
    .language = "Sprache:",
    .functions = "Funktionen",
    .instances = "Instanzen",
    .instance = "Instanz",
    .tag = "Messstellenkennzeichen",
    .deviceType = "Gerätetyp",
    .connected = "Verbunden",
    .disconnected = "Getrennt",
    .otherConnected = "%1 ist verbunden",
    .connecting = "Verbindung zum simulierten Stellungsregler ...",
    .connectDone = "Mit dem simulierten Stellungsregler verbunden.",
    .disconnectDone = "Vom simulierten Stellungsregler getrennt.",
    .connectFailed = "Die Verbindung ist fehlgeschlagen",
    .disconnecting = "Verbindung wird getrennt ...",
    .channelRefused = "Der DTM nimmt den Kommunikationskanal nicht an.",
    .uploading = "Parameter werden gelesen ...",
    .uploaded = "Upload beendet.",
    .uploadFailed = "Der Upload ist fehlgeschlagen",
    .downloading = "Parameter werden geschrieben ...",
    .downloaded = "Download beendet.",
    .downloadFailed = "Der Download ist fehlgeschlagen",
    .notStarted = "Der DTM hat die Aktion nicht gestartet.",
    .read = "Lesen beendet.",
    .readFailed = "Das Lesen ist fehlgeschlagen",
    .written = "Schreiben beendet.",
    .writeFailed = "Das Schreiben ist fehlgeschlagen",
    .notReachable = "das Gerät ist nicht erreichbar",
    .noAnswer = "das Gerät antwortet nicht",
    .connectionLost = "die Verbindung ist unterbrochen",
    .deviceRefused = "das Gerät ist nicht das erwartete",
    .accessDenied = "das Gerät verweigert den Zugriff",
    .writeLocking = "das Schreiben ist im Stellungsregler gesperrt (Schreibsperre)",
    .hardwareSwitch = "der Stellungsregler ist über den Hardware-Schalter schreibgeschützt",
    .deviceError = "das Gerät meldet einen Fehler",
    .saved = "Das Projekt %1 wurde gespeichert.",
    .saveFailed = "Das Projekt wurde nicht gespeichert",
    .saveWhileBusy = "Während eines Uploads oder Downloads wird das Projekt nicht gespeichert.",
    .noUserInterface = "Diese Funktion hat keine Bedienoberfläche.",
    .cannotOpen = "Die Bedienoberfläche dieser Funktion kann nicht geöffnet werden.",
    .refusesToClose = "Die Bedienoberfläche lässt sich jetzt nicht schließen.",
    .saveQuestion = "Die Daten von %1 wurden geändert. Projekt speichern?",
    .ok = "OK",
    .cancel = "Abbrechen",
    .yes = "&Ja",
    .no = "&Nein",
    .abort = "Abbrechen",
    .retry = "Wiederholen",
    .ignore = "Ignorieren",
    .closeQuestion = "Die Daten von %1 wurden geändert. Projekt vor dem Schließen speichern?",
    .discard = "Verwerfen",
    .namesAnd = "%1 und %2",
    .otherInstances = "%1 weiteren Instanzen",
    .tabInputQuestion =
        "Die Registerkarte \u201E%1\u201C enthält Eingaben, die nicht übernommen wurden; "
        "beim Schließen gehen sie verloren. Eingaben verwerfen und Registerkarte "
        "schließen?",
    .groups = {"Trend", "Messwerte", "Diagnose", "Simulation", "Betrieb"},
    .closeInputQuestion =
        "Die Daten von %1 wurden geändert, und Eingaben in %2 wurden nicht übernommen: Beim "
        "Schließen gehen diese Eingaben verloren, und Speichern übernimmt sie nicht. Projekt vor "
        "dem Schließen speichern?",
    .tagColumn = "Kennz.",
    .project = "Projekt",
    .created = "angelegt",
    .opened = "geöffnet",
    .device = "Gerät",
    .simulated = "simulierter Stellungsregler",
    .identNumber = "Identnummer",
    .profileRevision = "Profilrevision",
    .connectingTitle = "Verbinden",
    .identityChecked = "verbunden, Identität geprüft",
    .accepted = "verbunden; das Gerät wurde trotz Abweichung angenommen",
    .parametersRead = "Parameter gelesen",
    .identification = "Identifikation",
    .liveValues = "Aktuelle Werte",
    .noDiagnosis = "keine Meldung",
    .notANumber = "ungültig",
    .savedTitle = "Projekt gespeichert",
    .document = "Parameterdokument",
    .question = "[J/n]",
    .answerYes = "ja",
    .answerNo = "nein",
    .noTerminal = "(kein Terminal für die Frage)",
    .dictionaryFolderMissing = "der Wörterbuchordner %1 fehlt oder ist kein Ordner.",
    .dictionaryFileMissing = "die Wörterbuchdatei %1 fehlt.",
    .dictionaryFileUnreadable = "die Wörterbuchdatei %1 ist nicht lesbar (%2).",
    .dictionaryFileDamaged = "die Wörterbuchdatei %1 ist beschädigt: %2.",
    .dictionaryNotWellFormed = "%1 in Zeile %2",
    .notADictionary = "das Wurzelelement ist nicht DTMDictionary",
    .dictionaryHint =
        "Das Programm endet vor dem Verbinden: Der DTM braucht seine Wörterbücher "
        "(KV6274PA_XMLDATA nennt ihren Ordner).",
    .folderMissing = "der Ordner %1 für %2 existiert nicht; nichts wurde geändert.",
    .folderNotWritable =
        "in den Ordner %1 kann nicht geschrieben werden, %2 kann also nicht "
        "gespeichert werden; nichts wurde geändert.",
    .notAFile = "%1 ist keine Datei; nichts wurde geändert.",
    .readOnly = "%1 ist schreibgeschützt; die Datei blieb unverändert.",
    .channelRefusedMessage = "der DTM nimmt den Kommunikationskanal nicht an.",
    .deviceRefusedMessage =
        "das angeschlossene Gerät passt nicht zum DTM und wurde nicht angenommen "
        "(--yes verbindet es trotzdem).",
    .deviceUnreachable = "das Gerät ist nicht erreichbar.",
    .uploadFailedMessage = "der Upload ist fehlgeschlagen.",
    .uploadNotStarted = "der Upload konnte nicht gestartet werden.",
    .noDocument = "der DTM liefert kein Parameterdokument.",
    .unexpected = "ein unerwarteter Fehler hat das Programm beendet",
    .noWindow = "dieser Build hat kein Fenster (er wurde ohne Bedienoberfläche gebaut).",
    .folderNotMade = "der Ordner %1 kann nicht angelegt werden: %2.",
    .mainWindowNotOpen = "das Hauptfenster öffnet sich nicht.",
    .pictureNotWritten = "%1 kann nicht geschrieben werden.",
    .picturesWritten = "%1 Bilder in %2 geschrieben.",
    .noTemporaryFile =
        "%1 kann nicht geschrieben werden: Im Ordner der Datei lässt sich keine temporäre Datei "
        "anlegen (%2).",
    .cannotWrite = "%1 kann nicht geschrieben werden: %2.",
    .notWritten = "%1 kann nicht geschrieben werden.",
    .noRegularFile = "Das Projekt %1 kann nicht geöffnet werden: Es ist keine reguläre Datei.",
    .cannotOpenProject = "Das Projekt %1 kann nicht geöffnet werden: %2.",
    .cannotReadProject = "Das Projekt %1 kann nicht gelesen werden: %2.",
    .projectDamaged = "Das Projekt %1 ist beschädigt: %2. Es wurde nichts geladen.",
    .notWellFormed = "Die Datei ist kein wohlgeformtes XML (%1; Zeile %2, Spalte %3)",
    .noProject =
        "Die Datei ist kein Projekt der Rahmenapplikation (ihr Wurzelelement ist <%1>, nicht "
        "<%2>)",
    .wrongVersion =
        "Das Projekt hat die Version „%1“, die diese Rahmenapplikation nicht lesen "
        "kann (sie liest Version %2)",
    .foreignElement = "Element %1 des Projekts ist <%2>; ein Projekt enthält kein solches Element",
    .noSystemTag = "Element %1 des Projekts ist eine Instanz ohne Systemkennzeichen",
    .tagTwice = "Die Instanz „%1“ kommt zweimal vor",
    .noDeviceType = "Die Instanz „%1“ hat keinen Gerätetyp",
    .unknownDeviceType =
        "Die Instanz „%1“ hat den Gerätetyp „%2“, den diese "
        "Rahmenapplikation nicht kennt",
    .wrongChild =
        "Die Instanz „%1“ enthält <%2>; eine Instanz enthält genau ein "
        "<PropertyBag>",
    .noBag = "Die Instanz „%1“ hat keine Eigenschaftsliste (<PropertyBag>)",
    .bagFault = "Instanz „%1“: %2",
    .moreBagFaults = "%1 (und %2 weitere)",
    .storedDataRefused = "Der DTM von „%1“ lehnt seine gespeicherten Daten ab",
    .property = "Eigenschaft %1",
    .namedProperty = "Eigenschaft %1 „%2“",
    .bagProblems = {"kein XML-Dokument (%1; Stelle %2)", "kein Element PropertyBag",
                    "%1: unbekanntes Element %2", "%1: kein Name", "%1: unbekannter Typ „%2“",
                    "%1: kein Wert", "%1: ungültige Untergrenze (lbound)",
                    "%1: Wert ist kein Hexadezimaltext", "%1: Wert passt nicht zu seinem Typ",
                    "%1: Name wiederholt, der erste gilt"},
    .parseFaults = {"kein Fehler", "Datei nicht gefunden",
                    "Fehler beim Lesen der Datei oder des Datenstroms", "zu wenig Speicher",
                    "interner Fehler", "Art eines Tags nicht erkennbar",
                    "fehlerhafte XML-Deklaration oder Verarbeitungsanweisung",
                    "fehlerhafter Kommentar", "fehlerhafter CDATA-Abschnitt",
                    "fehlerhafte Dokumenttyp-Deklaration", "fehlerhafter Zeichentext",
                    "fehlerhaftes Start-Tag", "fehlerhaftes Attribut", "fehlerhaftes End-Tag",
                    "Start- und End-Tag passen nicht zusammen",
                    "Knoten können nicht angefügt werden: Die Wurzel ist weder Element noch "
                    "Dokument",
                    "kein Dokumentelement"},
    .noTagGiven = "Eine Instanz braucht ein Systemkennzeichen",
    .tagTaken = "Das Projekt enthält bereits eine Instanz „%1“",
    .noDtm = "Für den Gerätetyp „%1“ hat diese Rahmenapplikation keinen DTM",
    .dtmNotCreated = "Der DTM von „%1“ kann nicht angelegt werden: %2",
    .environmentRefused = "Der DTM von „%1“ lehnt seine Umgebung ab",
    .deviceTypeRefused = "Der DTM von „%1“ kann den Gerätetyp „%2“ nicht einrichten",
    .instanceNotSaved =
        "Das Projekt %1 kann nicht gespeichert werden: Der DTM von „%2“ kann seine "
        "Daten nicht speichern. Die Datei wurde nicht geändert.",
    .notSaved = "Das Projekt %1 kann nicht gespeichert werden: %2",
    .noSpace = "Auf dem Datenträger ist kein Platz mehr",
    .fileTooLarge = "Die Datei ist zu groß",
    .permissionDenied = "Keine Berechtigung",
    .readOnlyFileSystem = "Das Dateisystem ist schreibgeschützt",
    .noSuchFile = "Die Datei oder der Ordner existiert nicht",
    .notAFolder = "Kein Ordner",
    // The terms of the DTM's own German texts: Bereich, ungültige Eingabe, Benutzerebene,
    // schreibgeschützt, Kommando.
    .importRefusals = {"der Text ist kein Parameterdokument",
                       "ein Upload oder Download mit dem Gerät läuft", "kein solcher Parameter",
                       "der Wert wurde nicht übernommen", "die Einheit „%2“ ist unbekannt",
                       "der Wert „%1“ in „%2“ lässt sich nicht in „%3“ umrechnen",
                       "der Text ist leer, ein Wert ist erforderlich",
                       "der Wert „%1“ ist eine ungültige Eingabe",
                       "der Wert „%1“ liegt außerhalb des Bereichs", "der Wert „%1“ ist zu lang",
                       "der Wert „%1“ enthält ein Zeichen, das das Gerät nicht annimmt",
                       "der Wert „%1“ ist kein Eintrag der Auswahlliste",
                       "der Parameter erfordert die Benutzerebene %1, die Benutzerebene ist %2",
                       "übergangen, ein Kommando nimmt keinen Wert an",
                       "übergangen, das Gerät meldet den Wert nur",
                       "übergangen, der Parameter ist zurzeit schreibgeschützt",
                       "übergangen, der Parameter ist zurzeit ungültig"},
    .importVariable = "Variable %1",
    .importNotConvertibleToNone =
        "der Wert „%1“ in „%2“ lässt sich nicht in einen Wert ohne Einheit umrechnen",
    .importWithin = "%1 (%2)",
    .importRange = "%1 bis %2",
    .importAtLeast = "mindestens %1",
    .importAtMost = "höchstens %1",
    .importOr = " oder ",
    .importMostCharacters = "höchstens %1 Zeichen",
    .importNumbers = {',', '.'},
};

}  // namespace

const FrameWords& FrameWordsOf(int32_t language) {
    return (language & 0x3FF) == langGerman ? kGerman : kEnglish;
}

std::string WithArguments(const char* words, const std::string& a1, const std::string& a2,
                          const std::string& a3) {
    const std::string* const arguments[] = {&a1, &a2, &a3};
    std::string text;
    for (const char* p = words; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '3') {
            text += *arguments[p[1] - '1'];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

std::string AsSentence(std::string text) {
    if (!text.empty() && text.back() != '.' && text.back() != '?')
        text += '.';
    return text;
}

std::string DescribeSystemError(int error, const FrameWords& words) {
    static constexpr std::pair<int, const char * FrameWords::*> kOwnWords[] = {
        {ENOSPC, &FrameWords::noSpace},          {EFBIG, &FrameWords::fileTooLarge},
        {EACCES, &FrameWords::permissionDenied}, {EROFS, &FrameWords::readOnlyFileSystem},
        {ENOENT, &FrameWords::noSuchFile},       {ENOTDIR, &FrameWords::notAFolder},
    };
    for (const auto& [number, own] : kOwnWords) {
        if (number == error && words.*own != nullptr)
            return words.*own;
    }
    return std::strerror(error);
}

std::string DescribeParseFault(int status, const FrameWords& words) {
    if (status < 0 || static_cast<size_t>(status) >= std::size(words.parseFaults))
        return std::to_string(status);
    if (words.parseFaults[status] != nullptr)
        return words.parseFaults[status];
    pugi::xml_parse_result parsed;
    parsed.status = static_cast<pugi::xml_parse_status>(status);
    return parsed.description();
}

namespace {

std::string DescribeBagProblem(const BagProblem& problem, const FrameWords& words) {
    const char* const text = words.bagProblems[problem.kind];
    switch (problem.kind) {
        case BagProblem::kNotXml:
            return WithArguments(text, DescribeParseFault(problem.status, words),
                                 std::to_string(problem.position));
        case BagProblem::kNoBag:
            return text;
        case BagProblem::kUnknownElement:
        case BagProblem::kNoName:
        case BagProblem::kUnknownType:
        case BagProblem::kNoValue:
        case BagProblem::kBadLowerBound:
        case BagProblem::kNoHexText:
        case BagProblem::kNotOfItsType:
        case BagProblem::kRepeatedName:
            break;
    }
    // A problem of one property, which it names.
    const std::string position = std::to_string(problem.position);
    return WithArguments(text,
                         problem.name.empty()
                             ? WithArguments(words.property, position)
                             : WithArguments(words.namedProperty, position, problem.name),
                         problem.detail);
}

// A text that ends a sentence that goes on, without its own full stop.
std::string WithoutStop(std::string text) {
    while (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

// A damage, or an instance's fault, as a sentence: of the project file where it is named, else a
// sentence of its own.
std::string AsDamage(const FrameFault& fault, std::string damage, const FrameWords& words) {
    if (!fault.path.empty())
        return WithArguments(words.projectDamaged, fault.path, damage);
    if (!damage.empty() && damage[0] >= 'a' && damage[0] <= 'z')
        damage[0] = static_cast<char>(damage[0] - 'a' + 'A');
    return damage + '.';
}

}  // namespace

std::string Describe(const FrameFault& fault, const FrameWords& words) {
    const std::string& path = fault.path;
    const std::string& tag = fault.tag;
    const auto damage = [&](std::string text) { return AsDamage(fault, std::move(text), words); };
    // Every kind has its case, so that the compiler names a kind without words.
    switch (fault.kind) {
        case FrameFault::kNone:
            return {};
        case FrameFault::kFolderMissing:
            return WithArguments(words.folderMissing, fault.folder, path);
        case FrameFault::kFolderNotWritable:
            return WithArguments(words.folderNotWritable, fault.folder, path);
        case FrameFault::kNotAFile:
            return WithArguments(words.notAFile, path);
        case FrameFault::kReadOnly:
            return WithArguments(words.readOnly, path);
        case FrameFault::kNoTemporaryFile:
            return WithArguments(words.noTemporaryFile, path,
                                 DescribeSystemError(fault.error, words));
        case FrameFault::kWriteFailed:
            return WithArguments(words.cannotWrite, path, DescribeSystemError(fault.error, words));
        case FrameFault::kNotWritten:
            return WithArguments(words.notWritten, path);
        case FrameFault::kNoRegularFile:
            return WithArguments(words.noRegularFile, path);
        case FrameFault::kCannotOpen:
            return WithArguments(words.cannotOpenProject, path,
                                 DescribeSystemError(fault.error, words));
        case FrameFault::kCannotRead:
            return WithArguments(words.cannotReadProject, path,
                                 DescribeSystemError(fault.error, words));
        case FrameFault::kNotWellFormed:
            return damage(WithArguments(words.notWellFormed, DescribeParseFault(fault.error, words),
                                        std::to_string(fault.position),
                                        std::to_string(fault.column)));
        case FrameFault::kNoProject:
            return damage(WithArguments(words.noProject, fault.name, FrameProject::kRootName));
        case FrameFault::kWrongVersion:
            return damage(
                WithArguments(words.wrongVersion, fault.name, FrameProject::kFileVersion));
        case FrameFault::kForeignElement:
            return damage(
                WithArguments(words.foreignElement, std::to_string(fault.position), fault.name));
        case FrameFault::kNoSystemTag:
            return damage(WithArguments(words.noSystemTag, std::to_string(fault.position)));
        case FrameFault::kTagTwice:
            return damage(WithArguments(words.tagTwice, tag));
        case FrameFault::kNoDeviceType:
            return damage(WithArguments(words.noDeviceType, tag));
        case FrameFault::kUnknownDeviceType:
            return damage(WithArguments(words.unknownDeviceType, tag, fault.name));
        case FrameFault::kWrongChild:
            return damage(WithArguments(words.wrongChild, tag, fault.name));
        case FrameFault::kNoBag:
            return damage(WithArguments(words.noBag, tag));
        case FrameFault::kBagFault: {
            std::string problem = DescribeBagProblem(fault.bag, words);
            if (fault.more > 0)
                problem = WithArguments(words.moreBagFaults, problem, std::to_string(fault.more));
            return damage(WithArguments(words.bagFault, tag, problem));
        }
        case FrameFault::kStoredDataRefused:
            return damage(WithArguments(words.storedDataRefused, tag));
        case FrameFault::kNoTagGiven:
            return damage(words.noTagGiven);
        case FrameFault::kTagTaken:
            return damage(WithArguments(words.tagTaken, tag));
        case FrameFault::kNoDtm:
            return damage(WithArguments(words.noDtm, fault.name));
        case FrameFault::kDtmNotCreated:
            return damage(WithArguments(words.dtmNotCreated, tag, WithoutStop(fault.name)));
        case FrameFault::kEnvironmentRefused:
            return damage(WithArguments(words.environmentRefused, tag));
        case FrameFault::kDeviceTypeRefused:
            return damage(WithArguments(words.deviceTypeRefused, tag, fault.name));
        case FrameFault::kInstanceNotSaved:
            return WithArguments(words.instanceNotSaved, path, fault.tag);
        case FrameFault::kNotSaved:
            return AsSentence(WithArguments(words.notSaved, path, fault.name));
    }
    return {};  // a value outside the kinds
}

// --- import refusals ---

namespace {

// The limits of a refusal in the words given, each range in the element's unit.
std::string DescribeLimits(const ImportRefusal& refusal, const FrameWords& words) {
    const auto number = [&](const Variant& limit) {
        std::string text = limit.tryString(words.importNumbers).value_or(std::string());
        if (!refusal.elementUnit.empty())
            text += " " + refusal.elementUnit;
        return text;
    };
    std::string text;
    for (const ImportRefusal::Limits& limits : refusal.limits) {
        if (!text.empty())
            text += words.importOr;
        if (limits.low.isEmpty())
            text += WithArguments(words.importAtMost, number(limits.high));
        else if (limits.high.isEmpty())
            text += WithArguments(words.importAtLeast, number(limits.low));
        else
            text += WithArguments(words.importRange, number(limits.low), number(limits.high));
    }
    return text;
}

// The reason, without the variable's name.
std::string DescribeReason(const ImportRefusal& refusal, const FrameWords& words) {
    const char* const text = words.importRefusals[refusal.kind];
    switch (refusal.kind) {
        case ImportRefusal::kNotConvertible:
            return WithArguments(
                refusal.elementUnit.empty() ? words.importNotConvertibleToNone : text,
                refusal.value, refusal.unit, refusal.elementUnit);
        case ImportRefusal::kOutOfRange: {
            // The value in the document's unit, where that is not the one of the limits.
            std::string value = refusal.value;
            if (!refusal.unit.empty() && refusal.unit != refusal.elementUnit)
                value += " " + refusal.unit;
            const std::string reason = WithArguments(text, value);
            return refusal.limits.empty()
                       ? reason
                       : WithArguments(words.importWithin, reason, DescribeLimits(refusal, words));
        }
        case ImportRefusal::kTooLong: {
            const std::string reason = WithArguments(text, refusal.value);
            const std::optional<std::string> most =
                refusal.limits.empty() ? std::nullopt : refusal.limits[0].high.tryString();
            return most ? WithArguments(words.importWithin, reason,
                                        WithArguments(words.importMostCharacters, *most))
                        : reason;
        }
        case ImportRefusal::kUserLevel:
            return WithArguments(text, std::to_string(refusal.requiredLevel),
                                 std::to_string(refusal.userLevel));
        case ImportRefusal::kNoDocument:
        case ImportRefusal::kTransferRuns:
        case ImportRefusal::kNoSuchElement:
        case ImportRefusal::kNotTaken:
        case ImportRefusal::kUnknownUnit:
        case ImportRefusal::kNoValue:
        case ImportRefusal::kNotAValue:
        case ImportRefusal::kBadCharacter:
        case ImportRefusal::kNotInList:
        case ImportRefusal::kDeviceCommand:
        case ImportRefusal::kDeviceOnly:
        case ImportRefusal::kWriteProtected:
        case ImportRefusal::kNotValid:
            break;
    }
    return WithArguments(text, refusal.value, refusal.unit, refusal.elementUnit);
}

}  // namespace

std::string Describe(const ImportRefusal& refusal, const FrameWords& words) {
    const std::string reason = DescribeReason(refusal, words);
    if (refusal.position == 0)
        return reason;
    const std::string name =
        refusal.path.empty() ? WithArguments(words.importVariable, std::to_string(refusal.position))
                             : refusal.path;
    return name + ": " + reason;
}

std::ostream& operator<<(std::ostream& out, const FrameFault& fault) {
    return out << Describe(fault, FrameWordsOf(langEnglish));
}

}  // namespace kv
