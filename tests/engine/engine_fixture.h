#pragma once

#include <string>

#include "app/process_globals.h"
#include "offline/offline_engine.h"
#include "platform/text.h"
#include "recognition_fixture.h"
#include "support/rendered_text.h"

// The real engine program from the build's program folder, with the user's
// folders in a temporary place.
class EngineTest : public CloudTest {
protected:
    void SetUp() override {
        CloudTest::SetUp();
        saved_ = Globals();
        Globals().ExeFolder = Utf8ToWide(TAVIOCR_OUT_DIR);
        Globals().AppFolder = Path("");
    }
    void TearDown() override {
        Globals() = saved_;
        CloudTest::TearDown();
    }
    // The engine's text for a picture, empty when it gave none.
    std::wstring Read(const std::string& name, const std::string& language = "CHN_ENG") {
        std::wstring text;
        OfflineEngine({language, std::chrono::milliseconds(0)}).Recognize(Path(name), text);
        return text;
    }

    ProcessGlobals saved_;
};
