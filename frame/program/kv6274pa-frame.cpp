#include <iostream>
#include "core/DTMMain.h"
#include "core/clsDataElement.h"
#include "frame/DeviceSession.h"
#include "frame/ScriptedPrompt.h"
using namespace kv;
int main() {
    auto loop = std::make_shared<ManualEventLoop>();
    auto prompt = std::make_shared<ScriptedPrompt>();
    ReferenceFrame frame(loop, prompt);
    std::string error;
    FrameInstance* inst = frame.AddInstance("PV-101", "KV6274PA", error);
    if (!inst) { std::cerr << error << "\n"; return 1; }
    auto device = std::make_shared<SimulatedPositioner>();
    DeviceSession s(loop, *inst, device);
    s.Channel().SetTrace([](const std::string& l){ std::cout << l << "\n"; });
    std::cout << "setcomm " << s.SetCommunication() << "\n";
    std::cout << "connect " << s.Connect() << "\n";
    for (auto& q : prompt->questions) std::cout << "Q " << q.first << "\n";
    for (auto& q : prompt->messages) std::cout << "M " << q << "\n";
    auto up = s.Upload("U1");
    std::cout << "upload " << (up ? (*up ? "ok" : "fail") : "refused") << "\n";
    auto ctx = inst->dtm->DTMContext();
    for (auto& p : ctx->Parameters().Elements()) {
        clsDataElement& e = AsDataElement(*p);
        std::cout << e.Name() << " t=" << e.ValueType() << " s=" << e.Slot << " i=" << e.index << " pos=" << e.DataPosition
                  << " mode=" << e.ElementMode() << " up=" << e.IsUploadParam(*ctx) << " down=" << e.IsDownloadParam(*ctx)
                  << " v=" << (e.TransientValue().isByteArray() ? std::string("[bytes]") : e.TransientValue().toString()) << " unit=" << e.UnitString(*ctx)
                  << " vl=" << e.ValueList.str().substr(0, 60) << " st=" << std::hex << e.StatusFlags() << std::dec << "\n";
    }
    for (auto& q : prompt->messages) std::cout << "M " << q << "\n";
}
