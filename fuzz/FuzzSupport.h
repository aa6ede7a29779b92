#pragma once
// What the fuzz targets share: an instance with the device's whole data model (built as for a
// new instance, on the product's dictionaries), a prompt that forgets what it is shown, and
// arbitrary values drawn from the fuzzer's bytes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/clsDataElement.h"
#include "core/clsDataModel.h"
#include "devicemodel/DeviceModel.h"
#include "devicemodel/clsChannel.h"
#include "platform/runtime/DTMContext.h"
#include "platform/runtime/DTMDictionary.h"
#include "platform/runtime/DataSet.h"
#include "platform/runtime/IChannels.h"
#include "platform/runtime/IGUIManager.h"
#include "platform/runtime/IPrivateDataElement.h"
#include "platform/runtime/ManualEventLoop.h"
#include "platform/runtime/XMLHelper.h"

namespace kv::fuzz {

// Answers every question as a user would most often (Yes, OK) and keeps nothing.
class ForgetfulPrompt : public IPrompt {
  public:
    void ShowMessage(const std::string&) override {}
    int32_t Ask(const std::string&, int32_t style) override { return (style & 0xF) == 0 ? 1 : 6; }
};

// A GUI list without user interfaces that notes which elements were reported as changed.
class TouchRecordingGUI : public IGUIManager {
  public:
    void ParameterChanged(IPrivateDataElement& element, const std::string&) override {
        touched.insert(&element);
    }
    void ValidateAll() override {}
    bool HasOpenGUIs() const override { return false; }
    bool CloseAll() override { return true; }
    int32_t Language() const override { return 9; }
    void SetLanguage(int32_t) override {}
    std::unordered_set<const IPrivateDataElement*> touched;
};

// One DTM instance with the device's whole model, built once. Building it for every input would
// cost too much, so the state after the build is kept and every input starts from it again:
// Restore() puts back the elements that were reported as changed (or given to Touch), and
// RestoreAll() every element; both put back the channels and the data-set state.
class ModelInstance {
  public:
    explicit ModelInstance(const std::string& xmlFolder = KV_SOURCE_XMLDATA_DIR)
        : loop(std::make_shared<ManualEventLoop>()),
          context(loop),
          model(std::make_shared<clsDataModel>(DeviceModel())),
          gui(std::make_shared<TouchRecordingGUI>()),
          dictionary(std::make_shared<DTMDictionary>()) {
        auto set = std::make_shared<DataSet>(context, model);
        data = set.get();
        context.SetParameters(set);
        context.SetDictionary(dictionary);
        context.SetXMLHelper(std::make_shared<XMLHelper>(xmlFolder));
        context.SetPrompt(std::make_shared<ForgetfulPrompt>());
        context.SetGUIManager(gui);
        context.SetSystemTag("DTM_1");
        model->CreateModel(context);
        for (const auto& e : data->Elements())
            e->InitNew();
        for (const auto& e : data->Elements()) {
            position_[e.get()] = pristine_.size();
            pristine_.push_back(AsDataElement(*e));
        }
        for (const auto& c : data->Channels().Items()) {
            if (auto* channel = dynamic_cast<clsChannel*>(c.get()))
                channels_.push_back({channel, channel->Active(),
                                     channel->ProfibusChannelParameter().BitPosition()});
        }
        gui->touched.clear();
    }
    ModelInstance(const ModelInstance&) = delete;
    ModelInstance& operator=(const ModelInstance&) = delete;

    void Touch(const IPrivateDataElement& element) { gui->touched.insert(&element); }
    void Restore() {
        for (const IPrivateDataElement* e : gui->touched) {
            auto it = position_.find(e);
            if (it != position_.end())
                AsDataElement(*data->Elements()[it->second]) = pristine_[it->second];
        }
        RestoreRest();
    }
    void RestoreAll() {
        const auto& elements = data->Elements();
        for (size_t i = 0; i < elements.size(); ++i)
            AsDataElement(*elements[i]) = pristine_[i];
        RestoreRest();
    }

    std::shared_ptr<ManualEventLoop> loop;
    DTMContext context;
    std::shared_ptr<clsDataModel> model;
    std::shared_ptr<TouchRecordingGUI> gui;
    std::shared_ptr<DTMDictionary> dictionary;
    DataSet* data = nullptr;

  private:
    void RestoreRest() {
        gui->touched.clear();
        for (const ChannelState& c : channels_) {
            c.channel->SetActive(c.active);
            c.channel->ProfibusChannelParameter().SetBitPosition(c.bitPosition);
        }
        data->SetDataSetState(0);
        data->SetModifiedState(0);
        data->SetBulkUpdateActive(false);
        while (data->Locked())
            data->Unlock();
        loop->RunUntilIdle();
    }
    struct ChannelState {
        clsChannel* channel;
        bool active;
        Variant bitPosition;
    };
    std::unordered_map<const IPrivateDataElement*, size_t> position_;
    std::vector<clsDataElement> pristine_;
    std::vector<ChannelState> channels_;
};

inline ByteArray Bytes(FuzzedDataProvider& in, size_t max) {
    return ByteArray{in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, max)), 0};
}

// A value of any subtype, as a page, the frame or a loaded file may put into an element.
inline Variant AnyVariant(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 12)) {
        case 0:
            return Variant();
        case 1:
            return Variant::Null();
        case 2:
            return Variant(in.ConsumeBool());
        case 3:
            return Variant(in.ConsumeIntegral<uint8_t>());
        case 4:
            return Variant(in.ConsumeIntegral<int16_t>());
        case 5:
            return Variant(in.ConsumeIntegral<int32_t>());
        case 6:
            return Variant(in.ConsumeFloatingPoint<float>());
        case 7:
            return Variant(in.ConsumeFloatingPoint<double>());
        case 8:
            return Variant::FromDecimal(in.ConsumeFloatingPoint<double>());
        case 9:
            return Variant::FromDate(in.ConsumeFloatingPoint<double>());
        case 10:
            return Variant(in.ConsumeRandomLengthString(64));
        default:
            return Variant(
                ByteArray{in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64)),
                          in.ConsumeIntegralInRange<int32_t>(-2, 2)});
    }
}

// The one model of a fuzz target, built on first use and kept for every input.
inline ModelInstance& SharedInstance() {
    static ModelInstance instance;
    return instance;
}

}  // namespace kv::fuzz
