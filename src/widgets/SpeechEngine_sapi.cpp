// Read-aloud through Windows' own speech (SAPI 5, the voices of the Settings' "Speech" page).
#include "SpeechEngine.h"

#include <windows.h>
#include <sapi.h>

namespace corvanta {

namespace {

// Chinese (PRC), Simplified: the language attribute of a Mandarin voice.
const wchar_t kMandarin[] = L"Language=804";

ISpVoice *makeVoice()
{
    ISpVoice *voice = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                reinterpret_cast<void **>(&voice))))
        return nullptr;
    // A Mandarin voice where one is installed (Huihui comes with Chinese Windows); else the
    // default voice, which still reads the digits and Latin letters of a name.
    ISpObjectTokenCategory *category = nullptr;
    IEnumSpObjectTokens *tokens = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_SpObjectTokenCategory, nullptr, CLSCTX_ALL,
                                   IID_ISpObjectTokenCategory, reinterpret_cast<void **>(&category))) &&
        SUCCEEDED(category->SetId(SPCAT_VOICES, FALSE)) &&
        SUCCEEDED(category->EnumTokens(kMandarin, nullptr, &tokens))) {
        ISpObjectToken *token = nullptr;
        if (tokens->Next(1, &token, nullptr) == S_OK) {
            voice->SetVoice(token);
            token->Release();
        }
    }
    if (tokens)
        tokens->Release();
    if (category)
        category->Release();
    return voice;
}

} // namespace

struct SpeechWorker::Engine
{
    bool comStarted = false;
    ISpVoice *voice = nullptr;
    ~Engine()
    {
        if (voice)
            voice->Release();
        if (comStarted)
            CoUninitialize();
    }
};

Result speechAvailable()
{
    // The voice list is in the registry (HKLM\SOFTWARE\Microsoft\Speech\Voices): looking
    // needs no COM on the window's thread.
    HKEY key = nullptr;
    const bool found = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens", 0,
                                     KEY_READ, &key) == ERROR_SUCCESS;
    DWORD voices = 0;
    if (found) {
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &voices, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
    }
    if (voices == 0)
        return Result::failure(QStringLiteral("没有找到 Windows 语音，无法朗读。请在“设置 > 时间和语言 > "
                                              "语音”中添加中文语音。"));
    return Result::success();
}

SpeechWorker::SpeechWorker() = default;
SpeechWorker::~SpeechWorker() = default;

void SpeechWorker::say(const QString &text)
{
    if (!m_engine) {
        m_engine = std::make_unique<Engine>();
        m_engine->comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        m_engine->voice = makeVoice();
    }
    if (!m_engine->voice)
        return;
    // Asynchronous, and purging what is still being read.
    const std::wstring words = text.toStdWString();
    m_engine->voice->Speak(words.c_str(), SPF_ASYNC | SPF_PURGEBEFORESPEAK | SPF_IS_NOT_XML, nullptr);
}

} // namespace corvanta
