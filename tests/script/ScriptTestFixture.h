#pragma once
// A script VM opened through the host over a data tree in a temporary folder,
// with the error reports and the scripts' print output collected.
#include "core/FileTable.h"
#include "core/LogError.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ScriptTest : public ::testing::Test
{
public:
    static inline std::string s_printed;

protected:
    // What the VM is given besides the host's own globals.
    virtual void Register(HSQUIRRELVM vm);

    void SetUp() override;
    void TearDown() override;

    HSQUIRRELVM vm() const { return ScriptGetVM(); }

    // Writes the text to data/<name> and mounts the tree again.
    void WriteScript(const std::string& name, const std::string& text);
    bool LoadScript(const std::string& name, const std::string& text);
    void Run(const std::string& code);

    // The value of a root-table global, read after the scripts ran.
    bool HasGlobal(const char* name);
    float GlobalFloat(const char* name);
    int GlobalInt(const char* name);
    std::string GlobalString(const char* name);
    std::string GlobalType(const char* name);
    // The native object of a root-table global instance; null when there is none.
    template <class T> T* GlobalObject(const char* name)
    {
        sq_pushroottable(vm());
        sq_pushstring(vm(), name, -1);
        T* object = nullptr;
        if (SQ_SUCCEEDED(sq_get(vm(), -2)))
        {
            object = static_cast<T*>(ScriptInstanceArea(vm(), -1));
            sq_pop(vm(), 1);
        }
        sq_pop(vm(), 1);
        return object;
    }

    // Every report joined, in order.
    std::string Reports() const { return m_log.Text(); }
    bool ReportsContain(const std::string& part) const { return Reports().find(part) != std::string::npos; }
    void ClearReports() { m_log.Clear(); }

    TempDir dir;

private:
    LogCapture m_log;
};
