#include "platform/ComInstance.h"

#include <gtest/gtest.h>

#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

namespace {

// {1B0B8E34-5C8A-4F3E-9D2C-6A7F00E1D0C1}: registered nowhere.
const CLSID kUnregistered = {0x1b0b8e34, 0x5c8a, 0x4f3e, {0x9d, 0x2c, 0x6a, 0x7f, 0x00, 0xe1, 0xd0, 0xc1}};

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// An object with IUnknown and IPersist whose reference count the test can watch.
class CountedObject : public IPersist {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist)) {
            *out = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = kUnregistered;
        return S_OK;
    }
};

}  // namespace

using ComInstanceTest = ComApartment;

TEST_F(ComInstanceTest, CreationFailureThrowsTheFinishedText) {
    std::string text;
    try {
        ComInstance<IUnknown> object(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown);
        ADD_FAILURE() << "created an unregistered class";
    } catch (const WWLib::ComException& e) {
        text = e.what();
        EXPECT_EQ(e.Code(), static_cast<long>(REGDB_E_CLASSNOTREG));
        EXPECT_EQ(e.OperationName(), u"CoCreateInstance()");
    }
    EXPECT_EQ(text, "CoCreateInstance() failed: COM error: -2147221164.");
}

TEST_F(ComInstanceTest, CreationFailureLeavesNoPointerAndRecordsTheCall) {
    ComInstance<IUnknown> object;
    EXPECT_THROW(object.Create(kUnregistered, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown), WWLib::ComException);
    EXPECT_FALSE(object);
    EXPECT_EQ(object.Get(), nullptr);
    EXPECT_TRUE(object.Failed());
    EXPECT_EQ(WideToAnsi(object.Message()), "CoCreateInstance() failed: COM error: -2147221164.");
}

TEST_F(ComInstanceTest, CreatesTheShellLinkAndQueriesAnotherInterface) {
    ComInstance<IShellLinkA> link(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA);
    ASSERT_TRUE(link);
    EXPECT_TRUE(link.Succeeded());
    EXPECT_EQ(WideToAnsi(link.Message()), "CoCreateInstance() succeeded.");
    EXPECT_TRUE(SUCCEEDED(link->SetPath("C:\\windows\\notepad.exe")));

    ComInstance<IPersistFile> file = link.Query<IPersistFile>();  // interface id from the type
    ASSERT_TRUE(file);
    EXPECT_EQ(link.OperationName(), u"QueryInterface()");
    EXPECT_EQ(file.OperationName(), u"QueryInterface()");
    EXPECT_TRUE(file.Succeeded());
}

TEST_F(ComInstanceTest, QueryFailureThrowsAndClearsThePointer) {
    ComInstance<IShellLinkA> link(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER);
    void* p = reinterpret_cast<void*>(1);
    std::string text;
    try {
        link.QueryInterface(IID_IClassFactory, &p);
    } catch (const WWLib::ComException& e) {
        text = e.what();
    }
    EXPECT_EQ(text, "QueryInterface() failed: COM error: -2147467262: Interface not supported error.");
    EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(link);  // the object itself stays usable
}

TEST(ComInstance, ReleasesEveryReferenceItHolds) {
    CountedObject object;
    {
        ComResult adopted;
        adopted.Record(u"CoCreateInstance()", 0);
        ComInstance<IUnknown> unknown;
        object.AddRef();
        unknown.Adopt(&object, adopted);
        EXPECT_EQ(object.refs, 2u);
        {
            ComInstance<IPersist> persist = unknown.Query<IPersist>(IID_IPersist);
            EXPECT_EQ(object.refs, 3u);
            CLSID id{};
            EXPECT_EQ(persist->GetClassID(&id), S_OK);
            ComInstance<IPersist> moved(std::move(persist));
            EXPECT_FALSE(persist);
            EXPECT_EQ(object.refs, 3u);
        }
        EXPECT_EQ(object.refs, 2u);
        EXPECT_THROW(unknown.Query<IStream>(IID_IStream), WWLib::ComException);
        EXPECT_EQ(object.refs, 2u);
    }
    EXPECT_EQ(object.refs, 1u);
}
