// Collection templates in the MFC shape, over the standard containers.
#pragma once
#include "afx.h"
#include <iterator>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
  int GetSize() const { return int(m_a.size()); }
  int GetCount() const { return int(m_a.size()); }
  int GetUpperBound() const { return int(m_a.size()) - 1; }
  BOOL IsEmpty() const { return m_a.empty(); }
  void SetSize(int n, int /*growBy*/ = -1) { m_a.resize(size_t(n > 0 ? n : 0)); }
  int Add(ARG_TYPE v) { m_a.push_back(v); return int(m_a.size()) - 1; }
  TYPE GetAt(int i) const { return m_a[size_t(i)]; }
  void SetAt(int i, ARG_TYPE v) { m_a[size_t(i)] = v; }
  void SetAtGrow(int i, ARG_TYPE v) { if (i >= GetSize()) SetSize(i + 1); m_a[size_t(i)] = v; }
  TYPE& ElementAt(int i) { return m_a[size_t(i)]; }
  TYPE& operator[](int i) { return m_a[size_t(i)]; }
  const TYPE& operator[](int i) const { return m_a[size_t(i)]; }
  TYPE* GetData() { return m_a.data(); }
  const TYPE* GetData() const { return m_a.data(); }
  void InsertAt(int i, ARG_TYPE v, int count = 1) { m_a.insert(m_a.begin() + i, size_t(count), v); }
  void RemoveAt(int i, int count = 1) { m_a.erase(m_a.begin() + i, m_a.begin() + i + count); }
  void RemoveAll() { m_a.clear(); }
  void Copy(const CArray& o) { m_a = o.m_a; }
  int Append(const CArray& o) { int at = GetSize(); m_a.insert(m_a.end(), o.m_a.begin(), o.m_a.end()); return at; }
private:
  std::vector<TYPE> m_a;
};

class CUIntArray : public CArray<UINT, UINT> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CWordArray : public CArray<WORD, WORD> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CPtrArray : public CArray<void*, void*> {};

typedef void* POSITION;

// Ordered map; iteration order is the key order (MFC's is unspecified).
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
public:
  int GetCount() const { return int(m_m.size()); }
  int GetSize() const { return int(m_m.size()); }
  BOOL IsEmpty() const { return m_m.empty(); }
  BOOL Lookup(ARG_KEY k, VALUE& v) const {
    auto it = m_m.find(KEY(k));
    if (it == m_m.end()) return FALSE;
    v = it->second;
    return TRUE;
  }
  VALUE& operator[](ARG_KEY k) { return m_m[KEY(k)]; }
  void SetAt(ARG_KEY k, ARG_VALUE v) { m_m[KEY(k)] = v; }
  BOOL RemoveKey(ARG_KEY k) { return m_m.erase(KEY(k)) != 0; }
  void RemoveAll() { m_m.clear(); }
  // POSITION is 1 + the index of the next element; NULL at the end.
  POSITION GetStartPosition() const { return m_m.empty() ? nullptr : reinterpret_cast<POSITION>(1); }
  void GetNextAssoc(POSITION& pos, KEY& k, VALUE& v) const {
    size_t idx = reinterpret_cast<size_t>(pos) - 1;
    auto it = m_m.begin();
    std::advance(it, idx);
    k = it->first;
    v = it->second;
    pos = idx + 1 < m_m.size() ? reinterpret_cast<POSITION>(idx + 2) : nullptr;
  }
private:
  std::map<KEY, VALUE> m_m;
};

class CMapStringToPtr : public CMap<CString, LPCSTR, void*, void*> {};
class CMapStringToString : public CMap<CString, LPCSTR, CString, LPCSTR> {};
class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
