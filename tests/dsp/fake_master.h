// Test access to the fake tuning library (fake_mts_master.cpp): loads it as
// the process's tuning library and exposes its setters.
#pragma once

#include "dsp/mts_client.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

class FakeMaster : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(mts_testing::loadLibrary(FAKE_MTS_MASTER_PATH), mts_testing::LoadResult::Loaded);
    handle_ = dlopen(FAKE_MTS_MASTER_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle_, nullptr);
    bind(reset_, "Fake_Reset");
    bind(setHasMaster_, "Fake_SetHasMaster");
    bind(setFrequency_, "Fake_SetFrequency");
    bind(setFiltered_, "Fake_SetFiltered");
    bind(setScaleName_, "Fake_SetScaleName");
    bind(clients_, "Fake_Clients");
    reset_();
  }
  void TearDown() override {
    if (handle_) dlclose(handle_);
  }

  void setHasMaster(bool on) { setHasMaster_(on); }
  void setFrequency(int note, double hz) { setFrequency_(note, hz); }
  void setFiltered(int note, bool on) { setFiltered_(note, on); }
  void setScaleName(const char* name) { setScaleName_(name); }
  int clients() { return clients_(); }

private:
  template <class Fn>
  void bind(Fn& fn, const char* name) {
    fn = reinterpret_cast<Fn>(dlsym(handle_, name));
    ASSERT_NE(fn, nullptr) << name;
  }

  void* handle_ = nullptr;
  void (*reset_)() = nullptr;
  void (*setHasMaster_)(bool) = nullptr;
  void (*setFrequency_)(int, double) = nullptr;
  void (*setFiltered_)(int, bool) = nullptr;
  void (*setScaleName_)(const char*) = nullptr;
  int (*clients_)() = nullptr;
};
