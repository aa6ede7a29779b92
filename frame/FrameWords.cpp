#include "frame/FrameWords.h"

#include "frame/FileWriting.h"
#include "platform/runtime/IDTMDictionary.h"

namespace kv {

namespace {

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
        "The tab \u201C%1\u201D holds input that was not set; closing the tab discards it. "
        "Discard the input and close the tab?",
    .groups = {"Trend", "Measured values", "Diagnosis", "Simulation", "Operation"},
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
};

}  // namespace

const FrameWords& FrameWordsOf(int32_t language) {
    return (language & 0x3FF) == langGerman ? kGerman : kEnglish;
}

std::string WithArguments(const char* words, const std::string& a1, const std::string& a2) {
    std::string text;
    for (const char* p = words; *p != '\0'; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            text += p[1] == '1' ? a1 : a2;
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

std::string DescribeWriteFault(const WriteFault& fault, const std::string& file,
                               const FrameWords& words) {
    switch (fault.kind) {
        case WriteFault::kFolderMissing:
            return WithArguments(words.folderMissing, fault.path, file);
        case WriteFault::kFolderNotWritable:
            return WithArguments(words.folderNotWritable, fault.path, file);
        case WriteFault::kNotAFile:
            return WithArguments(words.notAFile, file);
        case WriteFault::kReadOnly:
            return WithArguments(words.readOnly, file);
    }
    return fault.message;
}

}  // namespace kv
