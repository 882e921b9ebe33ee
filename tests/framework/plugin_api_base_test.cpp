#include "framework/plugin_api_base.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_host_link.h"
#include "test_plugin.h"

namespace {

using Calls = std::vector<std::string>;

class PluginAPIBaseTest : public ::testing::Test {
protected:
  PluginAPIBaseTest() { plugin.SetHostLink(&host); }

  test_support::RecordingHostLink host;
  test_support::RecordingEditor editor;
  test_support::RecordingPlugin plugin;
};

TEST_F(PluginAPIBaseTest, SetHostIdentifiesThenRunsTheHook) {
  plugin.SetHost("Steinberg Cubase Pro", (12 << 16) | (0 << 8) | 3);
  EXPECT_EQ(plugin.GetHost(), qm::kHostCubase);
  EXPECT_EQ(plugin.GetHostVersion(true), 120003);
  EXPECT_EQ(plugin.calls, Calls{"hostIdentified"});

  plugin.SetHost("", 0);
  EXPECT_EQ(plugin.GetHost(), qm::kHostUnknown);
}

TEST_F(PluginAPIBaseTest, ParamResetVisitsEveryParameterInIndexOrder) {
  plugin.OnParamReset(qm::kReset);
  ASSERT_EQ(plugin.calls.size(), 2u * 93u);
  for (int i = 0; i < 93; ++i) {
    EXPECT_EQ(plugin.calls[2 * i], "change " + std::to_string(i) + " 0 -1");
    EXPECT_EQ(plugin.calls[2 * i + 1], "changeUI " + std::to_string(i) + " 0");
  }
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(PluginAPIBaseTest, SetParameterValueInformsTheHostWithoutAGesture) {
  plugin.SetParameterValue(7, 0.25);
  EXPECT_EQ(plugin.GetParam(7)->Value(), 2.5);
  EXPECT_EQ(host.calls, Calls{"inform 7 0.250000"});
  EXPECT_EQ(plugin.calls, Calls{"change 7 3 -1"});

  plugin.SetParameterValue(93, 0.5); // no such parameter
  EXPECT_EQ(host.calls.size(), 1u);
}

TEST_F(PluginAPIBaseTest, ValueFromTheEditorReachesHostAndPluginInOrder) {
  plugin.BeginInformHostOfParamChangeFromUI(3);
  plugin.SendParameterValueFromUI(3, 0.5);
  plugin.EndInformHostOfParamChangeFromUI(3);
  EXPECT_EQ(host.calls, (Calls{"begin 3", "set 3 0.500000", "inform 3 0.500000", "end 3"}));
  EXPECT_EQ(plugin.calls, (Calls{"change 3 3 -1", "changeUI 3 3"}));
  EXPECT_EQ(plugin.GetParam(3)->Value(), 5.0);

  plugin.BeginInformHostOfParamChangeFromUI(-1);
  plugin.SendParameterValueFromUI(200, 0.5);
  EXPECT_EQ(host.calls.size(), 4u);
}

TEST_F(PluginAPIBaseTest, DelegateValuesReachTheEditorOnlyWhileItIsOpen) {
  plugin.SendParameterValueFromDelegate(2, 5.0, false);
  EXPECT_TRUE(editor.values.empty());
  EXPECT_EQ(plugin.calls, Calls{"changeUI 2 4"});

  plugin.SetEditorConnection(&editor);
  plugin.SendParameterValueFromDelegate(2, 2.5, false); // a real value is normalised first
  plugin.SendParameterValueFromDelegate(4, 0.75, true);
  const std::vector<std::pair<int, double>> expected = {{2, 0.25}, {4, 0.75}};
  EXPECT_EQ(editor.values, expected);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(PluginAPIBaseTest, OpeningTheEditorPushesEveryValue) {
  plugin.GetParam(10)->Set(10.0);
  plugin.SetEditorConnection(&editor);
  plugin.OnUIOpen();
  ASSERT_EQ(editor.values.size(), 93u);
  for (int i = 0; i < 93; ++i) {
    EXPECT_EQ(editor.values[i].first, i);
    EXPECT_EQ(editor.values[i].second, i == 10 ? 1.0 : 0.0);
  }
}

TEST_F(PluginAPIBaseTest, DirtyParametersSendsEveryValueInOneGroupEdit) {
  plugin.GetParam(1)->Set(5.0);
  plugin.DirtyParametersFromUI();
  ASSERT_EQ(host.calls.size(), 2u + 2u * 93u);
  EXPECT_EQ(host.calls.front(), "beginGroup");
  EXPECT_EQ(host.calls.back(), "endGroup");
  EXPECT_EQ(host.calls[3], "set 1 0.500000");
  EXPECT_EQ(host.calls[4], "inform 1 0.500000");
}

TEST_F(PluginAPIBaseTest, EditorResizeAsksTheHostOnlyForANewSize) {
  EXPECT_TRUE(plugin.EditorResize(988, 696));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(plugin.EditorResizeFromUI(600, 400, false));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(plugin.EditorResizeFromUI(1482, 1044, true));
  EXPECT_EQ(host.calls, Calls{"resize 1482x1044"});
  EXPECT_EQ(plugin.GetEditorWidth(), 1482);

  host.acceptResize = false;
  EXPECT_FALSE(plugin.EditorResize(494, 348));
  EXPECT_EQ(plugin.GetEditorHeight(), 348); // stored either way
}

TEST_F(PluginAPIBaseTest, IdleTickHandsProcessorMidiToTheEditorThenIdles) {
  plugin.SetEditorConnection(&editor);
  for (int i = 0; i < 33; ++i) {
    EXPECT_EQ(plugin.PushMidiMsgFromProcessor(qm::IMidiMsg::NoteOn(i, 100, 0)), i < 32);
  }
  plugin.OnIdleTick();
  ASSERT_EQ(editor.midi.size(), 32u);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(editor.midi[i].mData1, i);
  EXPECT_EQ(plugin.midiUI.size(), 32u);
  EXPECT_EQ(plugin.calls, Calls{"idle"});

  // With the editor closed the ring is still emptied, so stale notes never
  // arrive when it opens again.
  plugin.SetEditorConnection(nullptr);
  plugin.PushMidiMsgFromProcessor(qm::IMidiMsg::NoteOn(1, 1, 0));
  plugin.OnIdleTick();
  plugin.SetEditorConnection(&editor);
  plugin.OnIdleTick();
  EXPECT_EQ(editor.midi.size(), 32u);
  EXPECT_EQ(plugin.calls, (Calls{"idle", "idle", "idle"}));
}

TEST_F(PluginAPIBaseTest, SysExQueuesRefuseOversizedMessagesAndDropWhenFull) {
  const uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
  const qm::ISysEx msg{0, bytes, 3};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(plugin.PushSysexMsgFromProcessor(msg), i < 4);
  uint8_t big[qm::SysExData::kMaxBytes + 1] = {};
  EXPECT_FALSE(plugin.SendSysexMsgFromUI({0, big, static_cast<int>(sizeof(big))}));
  EXPECT_FALSE(plugin.SendSysexMsgFromUI({0, nullptr, 3}));
  EXPECT_TRUE(plugin.SendSysexMsgFromUI(msg));

  plugin.SetEditorConnection(&editor);
  plugin.OnIdleTick();
  EXPECT_EQ(editor.sysex, 4);
}

} // namespace
