#include "platform/tree_ctrl.h"

CTreeCtrl::~CTreeCtrl() = default;

void CTreeCtrl::SetImageList(const CTreeImageList&) {}

void CTreeCtrl::ShowPreview(const CString&) {}
