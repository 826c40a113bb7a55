// What the module carries besides code: name string, version record,
// registry scripts and the type library.
#include <gtest/gtest.h>

#include <string>

#include "com_test_support.h"
#include "plugin/product_option.h"
#include "plugin/resources/module_ids.h"

#include <oleauto.h>

namespace {

// {7B64E0A2-1F9C-4D35-A8E7-C05D3B92F16A}
const IID IID_IVtPsSetPlugin = {0x7B64E0A2, 0x1F9C, 0x4D35, {0xA8, 0xE7, 0xC0, 0x5D, 0x3B, 0x92, 0xF1, 0x6A}};
// {9A35C6E2-7D14-4B8E-A261-0F4D8B7E3C59}
const GUID LIBID_VtPestrolSetLib = {0x9A35C6E2, 0x7D14, 0x4B8E, {0xA2, 0x61, 0x0F, 0x4D, 0x8B, 0x7E, 0x3C, 0x59}};

std::string ScriptText(HMODULE module, UINT id) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!found) return std::string();
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* data = static_cast<const char*>(::LockResource(loaded));
    return data ? std::string(data, ::SizeofResource(module, found)) : std::string();
}

TEST(ModuleResourcesTest, NameVersionAndScripts) {
    ServerDll dll(SuiteDllPath());
    ASSERT_TRUE(dll.Loaded());

    wchar_t name[64] = {};
    EXPECT_EQ(12, ::LoadStringW(dll.module, IDS_MODULE_NAME, name, 64));
    EXPECT_STREQ(L"VtPestrolSet", name);

    const std::wstring path = dll.FileName();
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, &block[0])) << "error " << ::GetLastError();
    WORD* translation = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(
        ::VerQueryValueW(&block[0], L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &bytes))
        << "error " << ::GetLastError();
    ASSERT_GE(bytes, 4u);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1252, translation[1]);
    for (const wchar_t* field : {L"InternalName", L"OriginalFilename"}) {
        wchar_t* text = nullptr;
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904e4\\") + field;
        ASSERT_TRUE(::VerQueryValueW(&block[0], query.c_str(), reinterpret_cast<void**>(&text), &bytes))
            << "error " << ::GetLastError();
        EXPECT_STREQ(L"VtPestrolSet.dll", text);
    }

    const std::string appIdScript = ScriptText(dll.module, IDR_APPID_SCRIPT);
    const std::string classScript = ScriptText(dll.module, IDR_CLASS_SCRIPT);
    EXPECT_NE(std::string::npos, appIdScript.find("'VtPestrolSet.DLL'"));
    EXPECT_NE(std::string::npos, classScript.find("InprocServer32 = s '%MODULE%'"));
}

TEST(ModuleResourcesTest, TypeLibraryDescribesTheClass) {
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, ::LoadTypeLibEx(SuiteDllPath().c_str(), REGKIND_NONE, &library));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(::IsEqualGUID(LIBID_VtPestrolSetLib, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(SYS_WIN32, attributes->syskind);
    library->ReleaseTLibAttr(attributes);

    BSTR libraryName = nullptr;
    BSTR help = nullptr;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, &libraryName, &help, nullptr, nullptr));
    EXPECT_STREQ(L"VtPestrolSetLib", libraryName);
    EXPECT_STREQ(L"VtPestrolSet 1.0 Type Library", help);
    ::SysFreeString(libraryName);
    ::SysFreeString(help);

    // The coclass carries the id that the class object serves.
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(CLSID_VtPsSetPlugin, &coclass));
    TYPEATTR* type = nullptr;
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&type));
    EXPECT_EQ(TKIND_COCLASS, type->typekind);
    EXPECT_EQ(type->wTypeFlags & TYPEFLAG_FCANCREATE, TYPEFLAG_FCANCREATE);
    EXPECT_EQ(1, type->cImplTypes);
    coclass->ReleaseTypeAttr(type);
    coclass->Release();

    ITypeInfo* dual = nullptr;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_IVtPsSetPlugin, &dual));
    ASSERT_EQ(S_OK, dual->GetTypeAttr(&type));
    EXPECT_EQ(type->wTypeFlags & TYPEFLAG_FDUAL, TYPEFLAG_FDUAL);
    EXPECT_EQ(type->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE, TYPEFLAG_FNONEXTENSIBLE);
    dual->ReleaseTypeAttr(type);
    dual->Release();
    library->Release();
}

}  // namespace
