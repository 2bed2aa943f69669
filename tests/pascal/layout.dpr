{ The sizes and offsets of the records and tables of the Pascal unit SbDriver, printed as tests/c/layout.c prints
  those of sbdriver.h: the suite compares the two. }
program layout;

{$IFDEF FPC}
  {$MODE DELPHI}
{$ENDIF}
{$APPTYPE CONSOLE}

uses
  SbDriver;

procedure Show(const Name: string; Value: PtrUInt);
begin
  WriteLn(Name, ' ', Value);
end;

begin
  Show('description', SizeOf(TSbDescription));
  Show('status-record', SizeOf(TSbStatusRecord));
  Show('receive-handler', SizeOf(TSbReceiveHandler));
  Show('receive-handler.self', PtrUInt(@TSbReceiveHandler(nil^).Data));
  Show('line-setup-handler', SizeOf(TSbLineSetupHandler));
  Show('driver-vtbl', SizeOf(TSbDriverVtbl));
  Show('driver-vtbl.PollStatus', PtrUInt(@@TSbDriverVtbl(nil^).PollStatus));
  Show('driver-vtbl.HookMenu', PtrUInt(@@TSbDriverVtbl(nil^).HookMenu));
  Show('port-vtbl', SizeOf(TSbPortServiceVtbl));
  Show('port-vtbl.LineStatus', PtrUInt(@@TSbPortServiceVtbl(nil^).LineStatus));
  Show('port-vtbl.SendReceive', PtrUInt(@@TSbPortServiceVtbl(nil^).SendReceive));
  Show('port-vtbl.SetReceiveHandler', PtrUInt(@@TSbPortServiceVtbl(nil^).SetReceiveHandler));
  Show('port-vtbl.SetLineSetupHandler', PtrUInt(@@TSbPortServiceVtbl(nil^).SetLineSetupHandler));
  Show('failure', SizeOf(TSbFailure));
  Show('failure.utf8', PtrUInt(@TSbFailure(nil^).Utf8));
  Show('link-statistics', SizeOf(TSbLinkStatistics));
  Show('link-statistics.exchanges', PtrUInt(@TSbLinkStatistics(nil^).Exchanges));
  Show('link-statistics.nowUs', PtrUInt(@TSbLinkStatistics(nil^).NowUs));
end.
