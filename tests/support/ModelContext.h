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
#include "support/NullFakes.h"
#include "support/TempFolder.h"

namespace kv::test_support {

inline std::string DictionaryDoc(int lang, const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DTMDictionary language=\"" +
           std::to_string(lang) + "\">" + body + "</DTMDictionary>";
}

class RecordingGUIList : public NullGUIList {
  public:
    void ParameterChanged(IPrivateDataElement& e, const std::string&) override {
        changed.push_back(e.Name());
        if (e.Name() == failOn)
            throw std::runtime_error("user interface failed");
    }
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
