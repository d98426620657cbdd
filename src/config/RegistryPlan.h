// A change to the registry as data: the ordered steps that make it, each with what it reports
// when it fails. The same plan is applied by both programs, and shown or exported by the console
// companion, so that what is shown is what is done.
#pragma once

#include <windows.h>

#include "report/Report.h"

enum RegStepKind {
    kStepOpenKey,    // opens an existing key: the open key of the steps after it
    kStepCreateKey,  // opens a key, creating it if need be
    kStepSetValue,   // sets a value of the open key
    kStepDeleteTree, // deletes a key and everything below it
};

struct RegStep {
    RegStepKind kind;
    const char* pszKey;   // below HKEY_LOCAL_MACHINE; for a value, the key it is set in
    const char* pszClass; // the class a created key gets
    const char* pszName;  // the value's name
    DWORD dwType;
    BYTE* pbData; // the value's bytes, held by the plan, and the byte after them
    DWORD cbData;
    DWORD cbStored; // what the system stores: cbData, or one more (see SetValue)
    ReportKind failureKind;
    const char* pszFailure; // what a failure reports; nullptr: the caller says why itself
    BOOL bCloses;           // the open key is closed after this step, however it went
};

class CRegPlan {
public:
    CRegPlan();
    ~CRegPlan();
    CRegPlan(const CRegPlan&) = delete;
    CRegPlan& operator=(const CRegPlan&) = delete;

    // What the steps added from now on report when they fail.
    void OnFailure(ReportKind kind, const char* pszText);
    void OpenKey(const char* pszKey);
    void CreateKey(const char* pszKey, const char* pszClass);
    void SetValue(const char* pszName, DWORD dwType, const void* pData, DWORD cbData);
    void SetDword(const char* pszName, DWORD dwValue);
    // The last step added closes the open key.
    void CloseKey();
    void DeleteTree(const char* pszKey);

    // Runs the steps in order and stops at the first that fails, after closing the open key and
    // reporting the step's failure to the sink. TRUE when every step succeeded. hFirstKey, when
    // given, is the key of a first step that opens one, which its caller opened already with the
    // step's access, to read it: the step takes it instead of opening the key again, and it is
    // closed as that step's key would be, whatever happens.
    BOOL Apply(IReport& report, HKEY hFirstKey = NULL);

    int Count() const { return m_nSteps; }
    const RegStep& Step(int i) const { return m_pSteps[i]; }
    // After Apply: how many steps succeeded, and the result code of the one that failed.
    int Applied() const { return m_nApplied; }
    LONG LastError() const { return m_lError; }
    // After a failed Apply: the key the failing step failed on (for a tree, the key below its top
    // that the deletion stopped at), and the keys of the tree that it deleted before it stopped.
    const char* FailedKey() const;
    int DeletedCount() const { return m_nDeleted; }
    const char* Deleted(int i) const { return m_ppszDeleted[i]; }

private:
    RegStep& Add(RegStepKind kind, const char* pszKey);
    BOOL Run(const RegStep& step);
    void CloseOpenKey();
    LONG DeleteKeyTree(const char* pszKey);
    // Takes over the new[]'d path of a key the tree deletion deleted, or failed at.
    void RecordDeleted(char* pszKey);
    void ForgetProgress();

    RegStep* m_pSteps;
    int m_nSteps;
    int m_nAlloc;
    int m_nApplied;
    ReportKind m_failureKind;
    const char* m_pszFailure;
    const char* m_pszOpenKey; // the key the next value step sets its value in
    HKEY m_hKey;              // open while the plan runs only
    LONG m_lError;
    char** m_ppszDeleted; // new[]'d paths
    int m_nDeleted;
    int m_nDeletedAlloc;
    char* m_pszFailedKey; // new[]'d; nullptr: the failing step's own key
};
