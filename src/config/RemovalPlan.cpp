#include "config/DriverConfig.h"
#include "config/RegistryLayout.h"
#include "config/ServiceGroupList.h"

void PlanRemoval(const RemovalState& state, CRegPlan* pPlan) {
    if (state.bService)
        pPlan->DeleteTree(HX_KEY_SERVICE); // its Parameters and the system's own subkeys with it
    if (state.bEventSource)
        pPlan->DeleteTree(HX_KEY_EVENT_SOURCE);

    BYTE* pbNew = new BYTE[state.cbList + 1];
    DWORD cbNew = 0;
    if (RemoveGroup(state.pbList, state.cbList, pbNew, &cbNew)) {
        // The system stores one byte more of a string that ends without its NUL when the byte
        // after it is one; a list that ended so before keeps ending so.
        pbNew[cbNew] = 0xFF;
        pPlan->OpenKey(HX_KEY_GROUP_ORDER);
        pPlan->SetValue("List", state.dwListType, pbNew, cbNew); // as the type it has
        pPlan->CloseKey();
    }
    delete[] pbNew;
}
