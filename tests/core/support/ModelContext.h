#pragma once
// A context with the runtime's data set, dictionary and XML helper on a dictionary folder of
// the test, a recording GUI list and a recording prompt.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/XMLHelper.h"

namespace kv::test_support {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvmodelXXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(std::filesystem::path(path) / name) << text;
    }
    // Copies the product's dictionary files.
    void CopyProductDictionaries() const {
        for (const char* f : {"DTMDictionary_9.xml", "DTMDictionary_7.xml"}) {
            std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_XMLDATA_DIR) / f,
                                       std::filesystem::path(path) / f);
        }
    }
    std::string path;
};

inline std::string DictionaryDoc(int lang, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DTMDictionary language=\"" +
           std::to_string(lang) + "\">" + body + "</DTMDictionary>";
}

class RecordingGUIList : public IGUIManager {
  public:
    void ParameterChanged(IPrivateDataElement& e, const std::string&) override {
        changed.push_back(e.Name());
        if (e.Name() == failOn)
            throw std::runtime_error("user interface failed");
    }
    void ValidateAll() override {}
    bool HasOpenGUIs() const override { return false; }
    bool CloseAll() override { return true; }
    int32_t Language() const override { return 9; }
    void SetLanguage(int32_t) override {}
    std::vector<std::string> changed;
    std::string failOn;
};

// Counts how often the error state is written (once per evaluation of the data-set state).
class CountingDataSet : public DataSet {
  public:
    using DataSet::DataSet;
    void SetDataSetState(int32_t state) override {
        ++stateWrites;
        DataSet::SetDataSetState(state);
    }
    int stateWrites = 0;
};

struct ModelContext {
    explicit ModelContext(const std::string& xmlFolder)
        : context(std::make_shared<ManualEventLoop>()),
          model(std::make_shared<clsDataModel>(DeviceModel())),
          gui(std::make_shared<RecordingGUIList>()),
          prompt(std::make_shared<RecordingPrompt>()) {
        auto set = std::make_shared<CountingDataSet>(context, model);
        data = set.get();
        context.SetParameters(set);
        auto dict = std::make_shared<DTMDictionary>();
        dictionary = dict.get();
        context.SetDictionary(dict);
        context.SetXMLHelper(std::make_shared<XMLHelper>(xmlFolder));
        context.SetGUIManager(gui);
        context.SetPrompt(prompt);
    }
    clsDataElement& Element(const std::string& path) {
        IPrivateDataElement* e = data->Item(path);
        if (!e)
            throw std::runtime_error("no element " + path);
        return AsDataElement(*e);
    }

    DTMContext context;
    std::shared_ptr<clsDataModel> model;
    std::shared_ptr<RecordingGUIList> gui;
    std::shared_ptr<RecordingPrompt> prompt;
    CountingDataSet* data = nullptr;
    DTMDictionary* dictionary = nullptr;
};

}  // namespace kv::test_support
