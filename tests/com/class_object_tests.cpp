// The class object and the module lock, through the built module's exports.
#include <gtest/gtest.h>

#include "com_test_support.h"
#include "plugin/product_option.h"

namespace {

// {0A0B0C0D-1111-2222-3333-444455556666}: an interface nobody implements.
const IID IID_Unknown_Elsewhere = {0x0A0B0C0D, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};

void* const kGarbage = reinterpret_cast<void*>(0x1234);

class ClassObjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_dll = new ServerDll(SuiteDllPath()); }
    static void TearDownTestSuite() {
        delete s_dll;
        s_dll = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_dll->Loaded()) << "cannot load " << ::testing::PrintToString(SuiteDllPath());
        // Each case starts with nothing holding the module.
        ASSERT_EQ(S_OK, s_dll->canUnloadNow());
    }
    void TearDown() override { EXPECT_EQ(S_OK, s_dll->canUnloadNow()) << "a case leaked a module lock"; }

    IClassFactory* GetFactory() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, s_dll->getClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        return factory;
    }

    static ServerDll* s_dll;
};

ServerDll* ClassObjectTest::s_dll = nullptr;

TEST_F(ClassObjectTest, ServesOneClassObjectForThePluginClassOnly) {
    IClassFactory* first = GetFactory();
    IUnknown* second = nullptr;
    ASSERT_EQ(S_OK, s_dll->getClassObject(CLSID_VtPsSetPlugin, IID_IUnknown, reinterpret_cast<void**>(&second)));
    ASSERT_TRUE(first);
    EXPECT_EQ(static_cast<IUnknown*>(first), second);
    second->Release();
    first->Release();

    // The registered class id is a different one and is not served.
    void* object = kGarbage;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, s_dll->getClassObject(CLSID_VtPsSetPluginRegistered, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    object = kGarbage;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, s_dll->getClassObject(IID_IProductOption, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);

    EXPECT_EQ(E_POINTER, s_dll->getClassObject(CLSID_VtPsSetPlugin, IID_IClassFactory, nullptr));

    object = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, s_dll->getClassObject(CLSID_VtPsSetPlugin, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ClassObjectTest, HeldClassObjectKeepsModuleLoaded) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());
    // A second client reference does not add a second lock.
    factory->AddRef();
    factory->Release();
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());
    factory->Release();
    EXPECT_EQ(S_OK, s_dll->canUnloadNow());
}

TEST_F(ClassObjectTest, LockServerHoldsModuleUntilUnlocked) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory->Release();
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());
    IClassFactory* again = GetFactory();
    ASSERT_TRUE(again);
    EXPECT_EQ(S_OK, again->LockServer(FALSE));
    EXPECT_EQ(S_OK, again->LockServer(FALSE));
    again->Release();
    EXPECT_EQ(S_OK, s_dll->canUnloadNow());
}

TEST_F(ClassObjectTest, LivePluginObjectKeepsModuleLoaded) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    IProductOption* option = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IProductOption, reinterpret_cast<void**>(&option)));
    factory->Release();
    ASSERT_TRUE(option);
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());

    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, option->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(static_cast<IUnknown*>(option), unknown);
    EXPECT_EQ(1, option->IsAvailable());
    unknown->Release();
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());

    EXPECT_EQ(0u, option->Release());
    EXPECT_EQ(S_OK, s_dll->canUnloadNow());
}

TEST_F(ClassObjectTest, TwoPluginObjectsHoldTwoLocks) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IProductOption, reinterpret_cast<void**>(&second)));
    factory->Release();
    EXPECT_NE(first, second);
    first->Release();
    EXPECT_EQ(S_FALSE, s_dll->canUnloadNow());
    second->Release();
}

TEST_F(ClassObjectTest, CreateInstanceRefusesAggregationAndBadArguments) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    IUnknown* outer = factory;  // any object serves as the would-be outer one
    void* object = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IProductOption, &object));
    EXPECT_EQ(nullptr, object);
    object = kGarbage;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IProductOption, nullptr));
    factory->Release();
}

TEST_F(ClassObjectTest, FailedInterfaceQueryDestroysNewObject) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    void* object = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_Unknown_Elsewhere, &object));
    EXPECT_EQ(nullptr, object);
    object = kGarbage;
    // The plug-in object does not implement the type library's interface.
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
    factory->Release();
    // Only the factory reference was holding the module: the object's lock
    // went with the object.
    EXPECT_EQ(S_OK, s_dll->canUnloadNow());
}

TEST_F(ClassObjectTest, ClassObjectAnswersOnlyItsInterfaces) {
    IClassFactory* factory = GetFactory();
    ASSERT_TRUE(factory);
    void* object = kGarbage;
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IProductOption, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, nullptr));
    factory->Release();
}

}  // namespace
